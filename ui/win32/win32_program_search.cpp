#include "ui/win32/win32_program_search.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <vector>

namespace landuo::ui::win32 {
namespace {

std::wstring FullPathOf(const std::wstring& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return {};
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    full.resize(length < needed ? length : 0);
    while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
    return full;
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
    return !a.empty() && CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring SystemFolder(UINT (*query)(LPWSTR, UINT)) {
    wchar_t buffer[MAX_PATH + 1];
    const UINT length = query(buffer, MAX_PATH + 1);
    return length > 0 && length <= MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}

UINT WindowsFolder(LPWSTR buffer, UINT size) { return GetSystemWindowsDirectoryW(buffer, size); }
UINT SystemDirectory(LPWSTR buffer, UINT size) { return GetSystemDirectoryW(buffer, size); }

std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    return FullPathOf(slash == std::wstring::npos ? path : path.substr(0, slash));
}

std::wstring CurrentFolder() {
    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(needed, L'\0');
    const DWORD length = GetCurrentDirectoryW(needed, folder.data());
    folder.resize(length < needed ? length : 0);
    return FullPathOf(folder);
}

std::vector<std::wstring> PathFolders() {
    std::vector<std::wstring> folders;
    const DWORD needed = GetEnvironmentVariableW(L"PATH", nullptr, 0);
    if (needed == 0) return folders;
    std::wstring path(needed, L'\0');
    const DWORD length = GetEnvironmentVariableW(L"PATH", path.data(), needed);
    path.resize(length < needed ? length : 0);
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(L';', start);
        if (end == std::wstring::npos) end = path.size();
        std::wstring folder = path.substr(start, end - start);
        if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"') {
            folder = folder.substr(1, folder.size() - 2);
        }
        // A relative entry ("." or empty) means the current folder: skipped.
        const bool absolute = folder.size() >= 3 && folder[1] == L':' && (folder[2] == L'\\' || folder[2] == L'/');
        const bool unc = folder.size() >= 2 && folder[0] == L'\\' && folder[1] == L'\\';
        if (absolute || unc) folders.push_back(FullPathOf(folder));
        start = end + 1;
    }
    return folders;
}

bool HasExtension(std::wstring_view name) {
    const std::size_t dot = name.find_last_of(L'.');
    return dot != std::wstring_view::npos && dot + 1 < name.size();
}

}  // namespace

CommandLineParts SplitCommandLine(std::wstring_view command_line) {
    std::size_t start = 0;
    while (start < command_line.size() && (command_line[start] == L' ' || command_line[start] == L'\t')) ++start;
    CommandLineParts parts;
    std::size_t end;
    if (start < command_line.size() && command_line[start] == L'"') {
        end = command_line.find(L'"', start + 1);
        if (end == std::wstring_view::npos) end = command_line.size();
        parts.program = std::wstring(command_line.substr(start + 1, end - start - 1));
        if (end < command_line.size()) ++end;
    } else {
        end = command_line.find_first_of(L" \t", start);
        if (end == std::wstring_view::npos) end = command_line.size();
        parts.program = std::wstring(command_line.substr(start, end - start));
    }
    while (end < command_line.size() && (command_line[end] == L' ' || command_line[end] == L'\t')) ++end;
    parts.arguments = std::wstring(command_line.substr(end));
    return parts;
}

std::optional<std::wstring> FindProgram(std::wstring_view program) {
    if (program.empty()) return std::nullopt;
    std::wstring name(program);
    if (!HasExtension(name)) name += L".exe";
    if (name.find_first_of(L"\\/:") != std::wstring::npos) {
        // Only an absolute path names one place for certain.
        const bool absolute = name.size() >= 3 && name[1] == L':' && (name[2] == L'\\' || name[2] == L'/');
        if (absolute && IsFile(name)) return name;
        return std::nullopt;
    }
    const std::wstring own = ProgramFolder();
    const std::wstring current = CurrentFolder();
    // The system's own folders are trusted wherever the current folder is;
    // a PATH entry that is the program's or the current folder is not.
    const std::vector<std::wstring> trusted{SystemFolder(SystemDirectory), SystemFolder(WindowsFolder)};
    std::vector<std::wstring> folders = trusted;
    for (std::wstring& folder : PathFolders()) {
        if (!SameFolder(folder, own) && !SameFolder(folder, current)) folders.push_back(std::move(folder));
    }
    for (const std::wstring& folder : folders) {
        if (folder.empty()) continue;
        std::wstring candidate = folder;
        if (candidate.back() != L'\\') candidate += L'\\';
        candidate += name;
        if (IsFile(candidate)) return candidate;
    }
    return std::nullopt;
}

}  // namespace landuo::ui::win32
