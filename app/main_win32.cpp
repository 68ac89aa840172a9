// The Windows program's entry: the Win32 platform with the program's handlers.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "app/app.h"
#include "ui/win32/win32_platform.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    landuo::ui::win32::Win32Platform platform(instance, landuo::app::Handlers());
    return landuo::app::Main(platform);
}
