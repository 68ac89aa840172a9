// The system's ANSI code page as the codec's CodePage, through
// MultiByteToWideChar and WideCharToMultiByte.
#pragma once

#include <memory>

#include "ui/text_codec.h"

namespace landuo::ui::win32 {

// The ANSI code page of the system (GetACP): GBK (936) on a Chinese system.
// A UTF-8 system gets the codec's own UTF-8 page.
std::unique_ptr<CodePage> MakeAnsiCodePage();

}  // namespace landuo::ui::win32
