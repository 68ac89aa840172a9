// The system DLLs that only a dialog, the picture or a program start needs,
// loaded from the system folder on first use: start-up then maps only
// kernel32, user32, gdi32 and comctl32, and the window shows sooner.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commdlg.h>
#include <ole2.h>
#include <olectl.h>

#include <utility>

namespace landuo::ui::win32 {

class SystemLibrary {
public:
    explicit SystemLibrary(const wchar_t* name) : name_(name) {}
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;
    ~SystemLibrary() {
        if (module_ != nullptr) FreeLibrary(module_);
    }

    // The named function, or nullptr when the library or the function is missing.
    template <typename Function>
    Function* Get(const char* function) {
        if (module_ == nullptr) {
            module_ = LoadLibraryExW(name_, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
            if (module_ == nullptr) return nullptr;
        }
        return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module_, function)));
    }

private:
    const wchar_t* name_;
    HMODULE module_ = nullptr;
};

// The functions taken from them, by their documented signatures.
struct LateFunctions {
    SystemLibrary comdlg32{L"comdlg32.dll"};
    SystemLibrary shell32{L"shell32.dll"};
    SystemLibrary ole32{L"ole32.dll"};
    SystemLibrary oleaut32{L"oleaut32.dll"};
};

// OLE for the thread, from its first use until the platform goes: the
// picture decoder and the shell's dialogs need it.
class OleSession {
public:
    explicit OleSession(SystemLibrary& ole32) {
        auto initialise = ole32.Get<HRESULT WINAPI(LPVOID)>("OleInitialize");
        uninitialise_ = ole32.Get<void WINAPI()>("OleUninitialize");
        ok_ = initialise != nullptr && uninitialise_ != nullptr && SUCCEEDED(initialise(nullptr));
    }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;
    ~OleSession() {
        if (ok_) uninitialise_();
    }

private:
    void(WINAPI* uninitialise_)() = nullptr;
    bool ok_ = false;
};

}  // namespace landuo::ui::win32
