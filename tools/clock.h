// The tool panel's clock: the date and the time of day, refreshed every tick.
#pragma once

#include <string>

#include "ui/platform.h"

namespace landuo::tools {

// "2010年4月6日": plain numbers, no leading zeros (UTF-8).
std::string DateText(const ui::LocalTime& time);

// "0" in front of the number, then the rightmost two characters: 7 -> "07".
std::string TwoDigits(int value);

void UpdateClock(ui::Platform& platform);

}  // namespace landuo::tools
