#include "tools/clock.h"

#include "ui/main_window.h"

namespace landuo::tools {

using namespace ui::main_window;

std::string DateText(const ui::LocalTime& time) {
    return std::to_string(time.year) + "年" + std::to_string(time.month) + "月" + std::to_string(time.day) + "日";
}

std::string TwoDigits(int value) {
    std::string padded(1, '0');
    padded += std::to_string(value);
    return padded.substr(padded.size() - 2);
}

// Each field is a reading of its own, so a tick at the turn of a second may mix
// both sides of it; the next tick is consistent again.
void UpdateClock(ui::Platform& platform) {
    platform.SetText(透明标签2, platform.SystemText(DateText(platform.ReadLocalTime())));
    const std::string hour = TwoDigits(platform.ReadLocalTime().hour);
    const std::string minute = TwoDigits(platform.ReadLocalTime().minute);
    const std::string second = TwoDigits(platform.ReadLocalTime().second);
    platform.SetText(透明标签3, platform.SystemText(hour + ":" + minute + ":" + second));
}

}  // namespace landuo::tools
