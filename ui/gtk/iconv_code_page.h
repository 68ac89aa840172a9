// The locale's character set as a code page, for a system that does not run
// in UTF-8 (zh_CN.GBK and the like).
#pragma once

#include <memory>

#include "ui/text_codec.h"

namespace landuo::ui::gtk {

// The code page of the current locale (after setlocale): nullptr when it is
// UTF-8 or can't be converted, and the program then uses UTF-8.
std::unique_ptr<CodePage> LocaleCodePage();

}  // namespace landuo::ui::gtk
