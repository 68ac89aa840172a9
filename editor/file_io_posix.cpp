// Whole-file reading and safe replace on POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>

#include "editor/file_io.h"
#include "ui/text_codec.h"

namespace landuo::editor {
namespace {

// Linux moves at most about 2 GiB in one read or write; smaller pieces are
// just as fast and keep every count well inside ssize_t.
constexpr std::size_t kMaxChunk = std::size_t{1} << 30;

// POSIX allows 8 hops; Linux follows 40, and so do we.
constexpr int kMaxSymlinkHops = 40;

// Temporary file names stay within the usual 255-byte limit for one name.
constexpr std::size_t kMaxNameBytes = 255;

std::string ErrnoReason(int error) {
    switch (error) {
    case ENOSPC:
        return "磁盘空间不足";
#ifdef EDQUOT
    case EDQUOT:
        return "磁盘配额已用完";
#endif
    case EACCES:
    case EPERM:
        return "没有访问权限";
    case EROFS:
        return "文件系统是只读的";
    case ENOENT:
        return "文件或文件夹不存在";
    case ENOTDIR:
        return "路径中有一项不是文件夹";
    case EISDIR:
        return "这是一个文件夹";
    case EFBIG:
    case EOVERFLOW:
        return "文件太大";
    case EBUSY:
    case ETXTBSY:
        return "文件正被其他程序使用";
    case ENAMETOOLONG:
        return "文件名太长";
    case ELOOP:
        return "符号链接层数太多";
    case EMFILE:
    case ENFILE:
        return "打开的文件太多";
    case ENOMEM:
        return "内存不足";
    case EIO:
        return "读写设备时出错";
    default: {
        // The system's own words may come in the locale's code page.
        const std::string words = std::error_code(error, std::generic_category()).message();
        return "系统错误 " + std::to_string(error) + "：" + ui::SanitiseUtf8(words);
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

class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            Reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    ~FileDescriptor() { Reset(); }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

    // Closes now and gives the error close reported, 0 when none. Linux has
    // closed the descriptor even when close fails, so it is never retried.
    int Close() {
        if (fd_ < 0) return 0;
        const int result = ::close(std::exchange(fd_, -1));
        if (result == 0 || errno == EINTR) return 0;
        return errno;
    }

private:
    void Reset() {
        if (fd_ >= 0) ::close(std::exchange(fd_, -1));
    }
    int fd_ = -1;
};

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = ::open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Writes all of `bytes`; 0 or the errno that stopped it.
int WriteAll(int fd, std::string_view bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const std::size_t chunk = std::min(bytes.size() - written, kMaxChunk);
        const ssize_t result = ::write(fd, bytes.data() + written, chunk);
        if (result < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (result == 0) return EIO;  // a regular file that takes nothing would loop for ever
        written += static_cast<std::size_t>(result);
    }
    return 0;
}

// fsync, where a file system that cannot sync (EINVAL) is no failure.
int SyncFile(int fd) {
    while (::fsync(fd) != 0) {
        if (errno == EINTR) continue;
        if (errno == EINVAL) return 0;
        return errno;
    }
    return 0;
}

void SyncFolder(const std::filesystem::path& folder) {
    FileDescriptor dir(OpenRetrying(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid()) ::fsync(dir.get());  // best effort: the rename is done either way
}

WriteResult Failure(std::string reason) { return WriteResult{false, std::move(reason)}; }
WriteResult FailureFromErrno(int error) { return Failure(ErrnoReason(error)); }

// Where a write to `path` really goes: symbolic links followed to the end,
// the way the kernel would, so that the link itself stays a link.
struct Target {
    int error = 0;               // 0, or why the path cannot be written
    std::filesystem::path path;  // the final, non-link path
    bool exists = false;
    struct stat status {};
};

Target ResolveTarget(const std::filesystem::path& path) {
    Target target;
    target.path = path;
    for (int hop = 0; hop <= kMaxSymlinkHops; ++hop) {
        if (::lstat(target.path.c_str(), &target.status) != 0) {
            if (errno != ENOENT) target.error = errno;
            return target;  // a dangling name: the file will be made there
        }
        if (!S_ISLNK(target.status.st_mode)) {
            target.exists = true;
            return target;
        }
        // The size lstat gives may be 0 (some file systems); grow until it fits.
        std::string link(static_cast<std::size_t>(std::max<off_t>(target.status.st_size, 64)) + 1, '\0');
        for (;;) {
            const ssize_t length = ::readlink(target.path.c_str(), link.data(), link.size());
            if (length < 0) {
                target.error = errno;
                return target;
            }
            if (static_cast<std::size_t>(length) < link.size()) {
                link.resize(static_cast<std::size_t>(length));
                break;
            }
            link.resize(link.size() * 2);
        }
        std::filesystem::path next(link);
        target.path = next.is_absolute() ? next : target.path.parent_path() / next;
    }
    target.error = ELOOP;
    return target;
}

// A temporary file next to the target, made with O_EXCL so nothing already
// there (a planted link included) is ever opened.
struct TemporaryFile {
    int error = 0;
    FileDescriptor fd;
    std::filesystem::path path;
};

TemporaryFile MakeTemporaryFile(const std::filesystem::path& folder, const std::string& name, mode_t mode) {
    // ".<name>.XXXXXX", the name cut (at a UTF-8 character boundary, for file
    // systems that insist on valid names) when the whole would be too long.
    std::string stem = name;
    constexpr std::size_t kDecoration = 1 + 1 + 6;
    if (stem.size() + kDecoration > kMaxNameBytes) {
        std::size_t cut = kMaxNameBytes - kDecoration;
        while (cut > 0 && (static_cast<unsigned char>(stem[cut]) & 0xC0) == 0x80) --cut;
        stem.resize(cut);
    }
    // The suffix only has to differ from its neighbours; O_EXCL makes it safe.
    std::uint64_t state = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                          (static_cast<std::uint64_t>(::getpid()) << 32) ^ reinterpret_cast<std::uintptr_t>(&state);
    constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    TemporaryFile temporary;
    for (int attempt = 0; attempt < 100; ++attempt) {
        // splitmix64
        state += 0x9E3779B97F4A7C15;
        std::uint64_t bits = state;
        bits = (bits ^ (bits >> 30)) * 0xBF58476D1CE4E5B9;
        bits = (bits ^ (bits >> 27)) * 0x94D049BB133111EB;
        bits ^= bits >> 31;
        std::string file_name = "." + stem + ".";
        for (int k = 0; k < 6; ++k) {
            file_name.push_back(kLetters[bits % (sizeof kLetters - 1)]);
            bits /= sizeof kLetters - 1;
        }
        temporary.path = folder / file_name;
        const int fd =
            OpenRetrying(temporary.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, mode);
        if (fd >= 0) {
            temporary.fd = FileDescriptor(fd);
            temporary.error = 0;
            return temporary;
        }
        temporary.error = errno;
        if (errno != EEXIST) break;
    }
    temporary.path.clear();
    return temporary;
}

// Removes the temporary file unless it has been renamed into place.
class RemoveUnlessKept {
public:
    explicit RemoveUnlessKept(const std::filesystem::path& path) : path_(path) {}
    RemoveUnlessKept(const RemoveUnlessKept&) = delete;
    RemoveUnlessKept& operator=(const RemoveUnlessKept&) = delete;
    ~RemoveUnlessKept() {
        if (!kept_) ::unlink(path_.c_str());
    }
    void Keep() { kept_ = true; }

private:
    const std::filesystem::path& path_;
    bool kept_ = false;
};

// The last resort, when the folder takes no new file but the target itself is
// writable: cut it and write it in place. A failure now can leave it partly
// written, and the reason says so.
WriteResult WriteInPlace(FileDescriptor& target_fd, std::string_view bytes) {
    int result;
    do {
        result = ::ftruncate(target_fd.get(), 0);
    } while (result != 0 && errno == EINTR);
    if (result != 0) return FailureFromErrno(errno);
    int error = WriteAll(target_fd.get(), bytes);
    if (error == 0) error = SyncFile(target_fd.get());
    if (error == 0) error = target_fd.Close();
    if (error != 0) return Failure(ErrnoReason(error) + "（文件夹不能写入，文件是直接改写的，可能只写了一部分）");
    return WriteResult{true, {}};
}

}  // namespace

ReadResult ReadWholeFile(const std::filesystem::path& path, std::size_t capacity) {
    ReadResult result;
    if (path.empty()) {
        result.reason = "没有给出文件名";
        return result;
    }
    // O_NONBLOCK so that a named pipe is refused below instead of waiting for
    // a writer; it changes nothing for a regular file.
    FileDescriptor fd(OpenRetrying(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.valid()) {
        result.reason = ErrnoReason(errno);
        return result;
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) {
        result.reason = ErrnoReason(errno);
        return result;
    }
    if (S_ISDIR(status.st_mode)) {
        result.reason = ErrnoReason(EISDIR);
        return result;
    }
    if (!S_ISREG(status.st_mode)) {
        result.reason = "这不是普通文件";
        return result;
    }
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags >= 0) ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
    const auto size = static_cast<std::uint64_t>(status.st_size);
    const std::uint64_t limit = std::min<std::uint64_t>(capacity, kMaxFileBytes);
    if (size >= limit) {
        result.reason =
            "文件太大（" + SizeText(size) + "），最多能打开 " + std::to_string(limit == 0 ? 0 : limit - 1) + " 字节";
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
        const std::size_t chunk = std::min(result.bytes.size() - got, kMaxChunk);
        const ssize_t count = ::read(fd.get(), result.bytes.data() + got, chunk);
        if (count < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            result.bytes = std::string();
            result.reason = ErrnoReason(error);
            return result;
        }
        if (count == 0) break;  // the file got shorter since fstat: keep what came
        got += static_cast<std::size_t>(count);
    }
    result.bytes.resize(got);
    result.ok = true;
    return result;
}

WriteResult WriteFileSafely(const std::filesystem::path& path, std::string_view bytes) {
    if (path.empty()) return Failure("没有给出文件名");
    Target target = ResolveTarget(path);
    if (target.error != 0) return FailureFromErrno(target.error);
    const std::string name = target.path.filename().native();
    if (name.empty() || name == "." || name == "..") return FailureFromErrno(EISDIR);

    // Only a regular file is replaced: renaming over a device or a pipe would
    // swap the special file for a plain one.
    FileDescriptor target_fd;
    if (target.exists) {
        if (S_ISDIR(target.status.st_mode)) return FailureFromErrno(EISDIR);
        if (!S_ISREG(target.status.st_mode)) return Failure("这不是普通文件");
        // A file its owner made read-only stays unchanged, though a writable
        // folder would let a rename replace it. The descriptor also serves the
        // last resort below.
        target_fd = FileDescriptor(OpenRetrying(target.path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW));
        if (!target_fd.valid()) return FailureFromErrno(errno);
    }

    std::filesystem::path folder = target.path.parent_path();
    if (folder.empty()) folder = ".";
    // A new file gets 0666 less the umask (and any default ACL) from the
    // kernel; a replacement is private until it has the old file's bits.
    TemporaryFile temporary = MakeTemporaryFile(folder, name, target.exists ? 0600 : 0666);
    if (!temporary.fd.valid()) {
        const int error = temporary.error;
        if (target_fd.valid() && (error == EACCES || error == EPERM || error == EROFS)) {
            return WriteInPlace(target_fd, bytes);
        }
        return FailureFromErrno(error);
    }
    RemoveUnlessKept cleanup(temporary.path);
    const int fd = temporary.fd.get();

    int error = WriteAll(fd, bytes);
    if (error == 0) error = SyncFile(fd);
    if (error == 0 && target.exists) {
        // Ownership first: fchown may clear the set-user-ID and set-group-ID
        // bits that fchmod then puts back. Only root can give the file away;
        // anyone may try to keep the group. Neither is worth failing for.
        if (target.status.st_uid != ::geteuid() || target.status.st_gid != ::getegid()) {
            if (::fchown(fd, target.status.st_uid, target.status.st_gid) != 0) {
                [[maybe_unused]] const int ignored = ::fchown(fd, static_cast<uid_t>(-1), target.status.st_gid);
            }
        }
        if (::fchmod(fd, target.status.st_mode & 07777) != 0) {
            // Some file systems (FAT, for one) keep no permission bits at all.
            if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP) error = errno;
        }
    }
    if (error == 0) error = temporary.fd.Close();
    if (error != 0) return FailureFromErrno(error);

    if (::rename(temporary.path.c_str(), target.path.c_str()) != 0) {
        error = errno;
        // A sticky folder lets us make files but not replace another user's.
        if (target_fd.valid() && (error == EACCES || error == EPERM)) {
            ::unlink(temporary.path.c_str());
            cleanup.Keep();
            return WriteInPlace(target_fd, bytes);
        }
        return FailureFromErrno(error);
    }
    cleanup.Keep();
    SyncFolder(folder);
    return WriteResult{true, {}};
}

}  // namespace landuo::editor
