// A small Windows program the Wine tests run beside the notepad: it reads
// what Win32 itself says about the notepad's windows and its version record,
// and sends the system's close command. Named calc.exe (or another tool's
// name) it only leaves a mark beside itself, to show that it was started.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                         nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring TextOf(HWND hwnd) {
    wchar_t text[512] = {};
    GetWindowTextW(hwnd, text, 512);
    return text;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[128] = {};
    GetClassNameW(hwnd, name, 128);
    return name;
}

// Every line: key, then values separated by tabs.
int Rect(const wchar_t* window_class, std::string& out) {
    HWND hwnd = FindWindowW(window_class, nullptr);
    if (hwnd == nullptr) return 2;
    RECT rect;
    GetWindowRect(hwnd, &rect);
    RECT client;
    GetClientRect(hwnd, &client);
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    char line[256];
    std::snprintf(line, sizeof line, "window\t%ld\t%ld\t%ld\t%ld\t%d\t%d\nclient\t%ld\t%ld\t%ld\t%ld\n", rect.left,
                  rect.top, rect.right - rect.left, rect.bottom - rect.top, IsWindowVisible(hwnd) ? 1 : 0,
                  IsWindowEnabled(hwnd) ? 1 : 0, origin.x, origin.y, client.right, client.bottom);
    out += line;
    out += "style\t" + std::to_string(GetWindowLongW(hwnd, GWL_STYLE)) + "\t" +
           std::to_string(GetWindowLongW(hwnd, GWL_EXSTYLE)) + "\n";
    out += "text\t" + Utf8(TextOf(hwnd)) + "\n";
    return 0;
}

// The children in stacking order, topmost first, placed in the client area.
int Children(const wchar_t* window_class, std::string& out) {
    HWND parent = FindWindowW(window_class, nullptr);
    if (parent == nullptr) return 2;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
        const std::wstring name = ClassOf(child);
        const bool edit = _wcsicmp(name.c_str(), L"Edit") == 0;
        char line[256];
        std::snprintf(line, sizeof line, "%ld\t%s\t%ld\t%ld\t%ld\t%ld\t%d\t%ld\t%ld\t", static_cast<long>(GetWindowLongPtrW(child, GWLP_ID)),
                      Utf8(name).c_str(), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                      (GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) ? 1 : 0, GetWindowLongW(child, GWL_STYLE),
                      GetWindowLongW(child, GWL_EXSTYLE));
        out += line;
        out += edit ? std::string("(edit)") : Utf8(TextOf(child));
        if (edit) {
            out += '\t';
            out += std::to_string(SendMessageW(child, EM_GETLIMITTEXT, 0, 0));
        }
        out += "\n";
    }
    return 0;
}

int Focus(const wchar_t* window_class, std::string& out) {
    HWND hwnd = FindWindowW(window_class, nullptr);
    if (hwnd == nullptr) return 2;
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info)) return 3;
    out += "focus\t" + std::to_string(info.hwndFocus != nullptr ? GetWindowLongPtrW(info.hwndFocus, GWLP_ID) : -1) +
           "\n";
    out += "active\t" + Utf8(info.hwndActive != nullptr ? ClassOf(info.hwndActive) : L"") + "\n";
    return 0;
}

int Close(const wchar_t* window_class) {
    HWND hwnd = FindWindowW(window_class, nullptr);
    if (hwnd == nullptr) return 2;
    return PostMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 3;
}

int Version(const wchar_t* file, std::string& out) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file, &ignored);
    if (size == 0) return 2;
    std::vector<char> data(size);
    if (!GetFileVersionInfoW(file, 0, size, data.data())) return 3;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed != nullptr) {
        char line[256];
        std::snprintf(line, sizeof line,
                      "fixed.file\t%lu.%lu.%lu.%lu\nfixed.product\t%lu.%lu.%lu.%lu\nfixed.type\t%lu\nfixed.os\t%lu\n",
                      fixed->dwFileVersionMS >> 16, fixed->dwFileVersionMS & 0xFFFF, fixed->dwFileVersionLS >> 16,
                      fixed->dwFileVersionLS & 0xFFFF, fixed->dwProductVersionMS >> 16,
                      fixed->dwProductVersionMS & 0xFFFF, fixed->dwProductVersionLS >> 16,
                      fixed->dwProductVersionLS & 0xFFFF, fixed->dwFileType, fixed->dwFileOS);
        out += line;
    }
    WORD* translation = nullptr;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
        length < 4) {
        return 4;
    }
    wchar_t block[64];
    std::swprintf(block, 64, L"\\StringFileInfo\\%04X%04X\\", translation[0], translation[1]);
    out += "translation\t" + Utf8(block) + "\n";
    for (const wchar_t* key : {L"FileVersion", L"ProductVersion", L"ProductName", L"FileDescription", L"ContactPrefix",
                               L"ContactNumber", L"WebPage"}) {
        wchar_t* value = nullptr;
        UINT count = 0;
        const std::wstring query = std::wstring(block) + key;
        if (VerQueryValueW(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &count) && value != nullptr) {
            out += Utf8(key) + "\t" + Utf8(value) + "\n";
        }
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    const std::wstring name = path.substr(path.find_last_of(L'\\') + 1);
    if (_wcsicmp(name.c_str(), L"probe.exe") != 0) {
        // Planted in place of a tool: leave "<name>.ran" beside it and go.
        HANDLE mark = CreateFileW((path + L".ran").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (mark != INVALID_HANDLE_VALUE) CloseHandle(mark);
        return 0;
    }
    if (argc < 4) {
        std::fputs("probe rect|children|focus|close|version NAME OUTPUT\n", stderr);
        return 1;
    }
    const std::wstring command = argv[1];
    std::string out;
    int result = 1;
    if (command == L"rect") result = Rect(argv[2], out);
    if (command == L"children") result = Children(argv[2], out);
    if (command == L"focus") result = Focus(argv[2], out);
    if (command == L"close") result = Close(argv[2]);
    if (command == L"version") result = Version(argv[2], out);
    HANDLE file = CreateFileW(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 5;
    DWORD written = 0;
    WriteFile(file, out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
    CloseHandle(file);
    return result;
}
