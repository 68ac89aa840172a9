// Whole-file reading and safe replace on Windows, through the wide Win32 file
// functions so any file name works.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

#include "editor/file_io.h"
#include "ui/text_codec.h"

namespace landuo::editor {
namespace {

// ReadFile and WriteFile take a 32-bit count; 1 GiB pieces keep well inside it.
constexpr DWORD kMaxChunk = DWORD{1} << 30;

class Handle {
public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
        }
        return *this;
    }
    ~Handle() { Reset(); }
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    // Closes now; false (with the last error set) when closing failed.
    bool Close() {
        if (!valid()) return true;
        return CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE)) != FALSE;
    }

private:
    void Reset() {
        if (valid()) CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE));
    }
    HANDLE handle_;
};

std::string Utf8(const std::wstring& wide) {
    std::string out;
    for (std::size_t i = 0; i < wide.size(); ++i) {
        char32_t c = static_cast<char16_t>(wide[i]);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size()) {
            const char32_t low = static_cast<char16_t>(wide[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        ui::AppendUtf8(c, out);
    }
    return out;
}

std::string ErrorReason(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return "文件或文件夹不存在";
    case ERROR_ACCESS_DENIED:
        return "没有访问权限";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return "文件正被其他程序使用";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return "磁盘空间不足";
    case ERROR_WRITE_PROTECT:
        return "磁盘有写保护";
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
        return "文件名无效";
    case ERROR_FILENAME_EXCED_RANGE:
        return "文件名太长";
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return "内存不足";
    case ERROR_FILE_TOO_LARGE:
        return "文件太大";
    case ERROR_CANT_RESOLVE_FILENAME:
        return "符号链接层数太多";
    case ERROR_NOT_READY:
    case ERROR_CRC:
    case ERROR_IO_DEVICE:
        return "读写设备时出错";
    default: {
        wchar_t* words = nullptr;
        const DWORD length =
            FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, error, 0, reinterpret_cast<wchar_t*>(&words), 0, nullptr);
        std::wstring text = length > 0 && words != nullptr ? std::wstring(words, length) : std::wstring();
        if (words != nullptr) LocalFree(words);
        while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
        return "系统错误 " + std::to_string(error) + (text.empty() ? "" : "：" + Utf8(text));
    }
    }
}

std::string SizeText(std::uint64_t bytes) {
    char readable[32];
    if (bytes >= (std::uint64_t{1} << 30)) {
        std::snprintf(readable, sizeof readable, "%.1f GiB", static_cast<double>(bytes) / (1u << 30));
    } else {
        std::snprintf(readable, sizeof readable, "%.1f MiB", static_cast<double>(bytes) / (1u << 20));
    }
    return std::to_string(bytes) + " 字节，约 " + readable;
}

WriteResult Failure(std::string reason) { return WriteResult{false, std::move(reason)}; }
WriteResult LastErrorFailure() { return Failure(ErrorReason(GetLastError())); }

// Writes all of `bytes`; false with the last error set when a write fails.
bool WriteAll(HANDLE file, std::string_view bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - written, kMaxChunk));
        DWORD done = 0;
        if (!WriteFile(file, bytes.data() + written, chunk, &done, nullptr)) return false;
        if (done == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        written += done;
    }
    return true;
}

// Where a write to `path` really goes: symbolic links and junctions followed
// to the end, so a link stays a link and its target gets the new content.
struct Target {
    DWORD error = 0;
    std::wstring path;
    bool exists = false;
    DWORD attributes = 0;
};

Target ResolveTarget(const std::filesystem::path& path) {
    Target target;
    target.path = path.wstring();
    Handle probe(CreateFileW(target.path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!probe.valid()) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) target.error = error;
        // A missing name, or a dangling link: the file is made where the name points.
        const DWORD attributes = GetFileAttributesW(target.path.c_str());
        if (error == ERROR_FILE_NOT_FOUND && attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            target.error = ERROR_CANT_RESOLVE_FILENAME;
        }
        return target;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(probe.get(), &info)) {
        target.error = GetLastError();
        return target;
    }
    target.exists = true;
    target.attributes = info.dwFileAttributes;
    const DWORD needed = GetFinalPathNameByHandleW(probe.get(), nullptr, 0, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (needed > 0) {
        std::wstring final_path(needed, L'\0');
        const DWORD length =
            GetFinalPathNameByHandleW(probe.get(), final_path.data(), needed, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length > 0 && length < needed) {
            final_path.resize(length);
            target.path = final_path;
        }
    }
    return target;
}

// The folder part of a path, and the file name part.
std::wstring FolderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return L".";
    if (slash == 2 && path.size() > 2 && path[1] == L':') return path.substr(0, 3);
    return path.substr(0, slash);
}

std::wstring NameOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

struct TemporaryFile {
    DWORD error = 0;
    Handle file;
    std::wstring path;
};

// A new file next to the target, made with CREATE_NEW so nothing already
// there is ever opened.
TemporaryFile MakeTemporaryFile(const std::wstring& folder, const std::wstring& name) {
    std::wstring stem = name.substr(0, 200);
    std::uint64_t state = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                          (static_cast<std::uint64_t>(GetCurrentProcessId()) << 32);
    constexpr wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    TemporaryFile temporary;
    for (int attempt = 0; attempt < 100; ++attempt) {
        state += 0x9E3779B97F4A7C15;
        std::uint64_t bits = state;
        bits = (bits ^ (bits >> 30)) * 0xBF58476D1CE4E5B9;
        bits = (bits ^ (bits >> 27)) * 0x94D049BB133111EB;
        bits ^= bits >> 31;
        std::wstring file_name = L"~" + stem + L".";
        for (int k = 0; k < 6; ++k) {
            file_name.push_back(kLetters[bits % (sizeof kLetters / sizeof kLetters[0] - 1)]);
            bits /= sizeof kLetters / sizeof kLetters[0] - 1;
        }
        file_name += L".tmp";
        temporary.path = folder;
        if (temporary.path.back() != L'\\' && temporary.path.back() != L'/') temporary.path += L'\\';
        temporary.path += file_name;
        temporary.file = Handle(CreateFileW(temporary.path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        if (temporary.file.valid()) {
            temporary.error = 0;
            return temporary;
        }
        temporary.error = GetLastError();
        if (temporary.error != ERROR_FILE_EXISTS && temporary.error != ERROR_ALREADY_EXISTS) break;
    }
    temporary.path.clear();
    return temporary;
}

// Removes the temporary file unless it has been moved into place.
class RemoveUnlessKept {
public:
    explicit RemoveUnlessKept(const std::wstring& path) : path_(path) {}
    RemoveUnlessKept(const RemoveUnlessKept&) = delete;
    RemoveUnlessKept& operator=(const RemoveUnlessKept&) = delete;
    ~RemoveUnlessKept() {
        if (!kept_) DeleteFileW(path_.c_str());
    }
    void Keep() { kept_ = true; }

private:
    const std::wstring& path_;
    bool kept_ = false;
};

// The last resort, when the folder takes no new file but the target itself is
// writable: cut it and write it in place; a failure now can leave it partly
// written, and the reason says so.
WriteResult WriteInPlace(const std::wstring& target, std::string_view bytes) {
    Handle file(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return LastErrorFailure();
    const bool ok = SetEndOfFile(file.get()) && WriteAll(file.get(), bytes) && FlushFileBuffers(file.get()) &&
                    file.Close();
    if (!ok) {
        return Failure(ErrorReason(GetLastError()) + "（文件夹不能写入，文件是直接改写的，可能只写了一部分）");
    }
    return WriteResult{true, {}};
}

}  // namespace

ReadResult ReadWholeFile(const std::filesystem::path& path, std::size_t capacity) {
    ReadResult result;
    if (path.empty()) {
        result.reason = "没有给出文件名";
        return result;
    }
    const std::wstring name = path.wstring();
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        result.reason = "这是一个文件夹";
        return result;
    }
    // Others may read meanwhile but not write: a file another program holds
    // open for writing is refused with a clear reason.
    Handle file(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid()) {
        result.reason = ErrorReason(GetLastError());
        return result;
    }
    if (GetFileType(file.get()) != FILE_TYPE_DISK) {
        result.reason = "这不是普通文件";
        return result;
    }
    LARGE_INTEGER size_field{};
    if (!GetFileSizeEx(file.get(), &size_field)) {
        result.reason = ErrorReason(GetLastError());
        return result;
    }
    const auto size = static_cast<std::uint64_t>(size_field.QuadPart);
    const std::uint64_t limit = std::min<std::uint64_t>(capacity, kMaxFileBytes);
    if (size >= limit) {
        result.reason = "文件太大（" + SizeText(size) + "），最多能打开 " + std::to_string(limit == 0 ? 0 : limit - 1) +
                        " 字节";
        return result;
    }
    try {
        result.bytes.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        result.reason = "内存不足";
        return result;
    } catch (const std::length_error&) {
        result.reason = "内存不足";
        return result;
    }
    std::size_t got = 0;
    while (got < result.bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(result.bytes.size() - got, kMaxChunk));
        DWORD count = 0;
        if (!ReadFile(file.get(), result.bytes.data() + got, chunk, &count, nullptr)) {
            const DWORD error = GetLastError();
            result.bytes = std::string();
            result.reason = ErrorReason(error);
            return result;
        }
        if (count == 0) break;  // the file got shorter since its size was read: keep what came
        got += count;
    }
    result.bytes.resize(got);
    result.ok = true;
    return result;
}

WriteResult WriteFileSafely(const std::filesystem::path& path, std::string_view bytes) {
    if (path.empty()) return Failure("没有给出文件名");
    const Target target = ResolveTarget(path);
    if (target.error != 0) return Failure(ErrorReason(target.error));
    const std::wstring name = NameOf(target.path);
    if (name.empty() || name == L"." || name == L"..") return Failure("这是一个文件夹");
    if (target.exists) {
        if (target.attributes & FILE_ATTRIBUTE_DIRECTORY) return Failure("这是一个文件夹");
        // A file its owner made read-only stays unchanged.
        if (target.attributes & FILE_ATTRIBUTE_READONLY) return Failure("文件是只读的");
        // Opening it for writing tells whether it may be replaced at all, and
        // whether another program holds it.
        Handle check(CreateFileW(target.path.c_str(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!check.valid()) return LastErrorFailure();
        if (GetFileType(check.get()) != FILE_TYPE_DISK) return Failure("这不是普通文件");
    }

    const std::wstring folder = FolderOf(target.path);
    TemporaryFile temporary = MakeTemporaryFile(folder, name);
    if (!temporary.file.valid()) {
        if (target.exists && temporary.error == ERROR_ACCESS_DENIED) return WriteInPlace(target.path, bytes);
        return Failure(ErrorReason(temporary.error));
    }
    RemoveUnlessKept cleanup(temporary.path);
    if (!WriteAll(temporary.file.get(), bytes) || !FlushFileBuffers(temporary.file.get()) ||
        !temporary.file.Close()) {
        return LastErrorFailure();
    }

    if (target.exists) {
        // ReplaceFileW keeps the old file's attributes and security.
        if (!ReplaceFileW(target.path.c_str(), temporary.path.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                          nullptr, nullptr)) {
            const DWORD error = GetLastError();
            if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 ||
                error == ERROR_UNABLE_TO_REMOVE_REPLACED) {
                if (!MoveFileExW(temporary.path.c_str(), target.path.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
                    return LastErrorFailure();
                }
            } else {
                return Failure(ErrorReason(error));
            }
        }
    } else if (!MoveFileExW(temporary.path.c_str(), target.path.c_str(), MOVEFILE_WRITE_THROUGH)) {
        return LastErrorFailure();
    }
    cleanup.Keep();
    return WriteResult{true, {}};
}

}  // namespace landuo::editor
