#include "editor/file_io.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace landuo::editor {
namespace {

namespace fs = std::filesystem;

std::string ReadBack(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Put(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

mode_t ModeOf(const fs::path& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random());
    return bytes;
}

// Each test gets a fresh folder that an unprivileged user can reach, and
// leaves nothing behind (even folders it made read-only).
class FileIoTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::path(::testing::TempDir()) / "landuo-file-io-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr) << std::strerror(errno);
        dir_ = pattern;
        ASSERT_EQ(::chmod(dir_.c_str(), 0755), 0);
    }
    void TearDown() override {
        std::error_code ignored;
        for (auto it = fs::recursive_directory_iterator(dir_, ignored); it != fs::recursive_directory_iterator();
             it.increment(ignored)) {
            if (it->is_directory(ignored) && !it->is_symlink(ignored)) ::chmod(it->path().c_str(), 0755);
        }
        fs::remove_all(dir_, ignored);
    }
    fs::path dir_;
};

struct ChildOutcome {
    bool ran = false;  // false: the child could not set itself up
    std::string skip;  // why not, when it could not
    WriteResult result;
};

// Runs `body` in a forked child after `setup` (which gives a reason to skip, or
// nothing), so that limits and a changed user never touch the test process.
ChildOutcome RunInChild(const std::function<std::optional<std::string>()>& setup,
                        const std::function<WriteResult()>& body) {
    int channel[2];
    if (::pipe(channel) != 0) return {false, "pipe failed", {}};
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(channel[0]);
        ::close(channel[1]);
        return {false, "fork failed", {}};
    }
    if (pid == 0) {
        ::close(channel[0]);
        std::string message;
        if (std::optional<std::string> skip = setup()) {
            message = "S" + *skip;
        } else {
            const WriteResult result = body();
            message = std::string(result.ok ? "1" : "0") + result.reason;
        }
        std::size_t sent = 0;
        while (sent < message.size()) {
            const ssize_t n = ::write(channel[1], message.data() + sent, message.size() - sent);
            if (n <= 0) break;
            sent += static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string message;
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(channel[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        message.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(channel[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    ChildOutcome outcome;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || message.empty()) {
        outcome.skip = "the child died (status " + std::to_string(status) + ")";
        return outcome;
    }
    if (message[0] == 'S') {
        outcome.skip = message.substr(1);
        return outcome;
    }
    outcome.ran = true;
    outcome.result.ok = message[0] == '1';
    outcome.result.reason = message.substr(1);
    return outcome;
}

// Root ignores permission bits, so read-only cases run as "nobody". Gives the
// user to become (none when already unprivileged), or a reason to skip.
struct Unprivileged {
    bool change = false;
    uid_t uid = 0;
    gid_t gid = 0;
    std::string skip;
};

Unprivileged FindUnprivilegedUser() {
    Unprivileged user;
    if (::geteuid() != 0) return user;
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr) {
        user.skip = "running as root and there is no user \"nobody\" to drop to";
        return user;
    }
    user.change = true;
    user.uid = nobody->pw_uid;
    user.gid = nobody->pw_gid;
    return user;
}

std::optional<std::string> BecomeUnprivileged(const Unprivileged& user, const fs::path& must_reach) {
    if (user.change) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(user.gid) != 0 || ::setuid(user.uid) != 0) {
            return std::string("cannot drop to nobody: ") + std::strerror(errno);
        }
        if (::setuid(0) == 0) return std::string("dropped to nobody but could become root again");
    }
    if (::access(must_reach.c_str(), X_OK) != 0) {
        return "the unprivileged user cannot reach " + must_reach.string() + " (set TEST_TMPDIR elsewhere)";
    }
    return std::nullopt;
}

// ---------------------------------------------------------------- reading

TEST_F(FileIoTest, ReadsExactlyTheBytesOfTheFile) {
    const std::vector<std::string> contents = {
        "",
        "abc",
        std::string("abc\0def", 7),  // a zero byte is data here; cutting is the caller's business
        "\xEF\xBB\xBFline\r\nline\nline\r",
        RandomBytes(3 << 20, 7),
    };
    for (const std::string& content : contents) {
        const fs::path file = dir_ / "in.txt";
        Put(file, content);
        const ReadResult result = ReadWholeFile(file);
        EXPECT_TRUE(result.ok) << result.reason;
        EXPECT_TRUE(result.reason.empty()) << result.reason;
        EXPECT_EQ(result.bytes.size(), content.size());
        EXPECT_TRUE(result.bytes == content) << "content of " << content.size() << " bytes differs";
    }
}

TEST_F(FileIoTest, WhatCannotBeReadGivesAReasonAndNoBytes) {
    ASSERT_EQ(::mkfifo((dir_ / "pipe").c_str(), 0644), 0);
    fs::create_directory(dir_ / "folder");
    struct Case {
        fs::path path;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {dir_ / "missing.txt", "文件或文件夹不存在"},
        {dir_ / "missing" / "x.txt", "文件或文件夹不存在"},
        {dir_ / "folder", "这是一个文件夹"},
        {dir_ / "pipe", "这不是普通文件"},  // must not wait for a writer
        {fs::path(), "没有给出文件名"},
    };
    for (const Case& c : cases) {
        const ReadResult result = ReadWholeFile(c.path);
        EXPECT_FALSE(result.ok) << c.path;
        EXPECT_EQ(result.reason, c.reason) << c.path;
        EXPECT_TRUE(result.bytes.empty()) << c.path;
    }
}

TEST_F(FileIoTest, AFileAtOrAboveTheCapacityIsRefusedNotCut) {
    const fs::path file = dir_ / "ten.txt";
    Put(file, "0123456789");
    const ReadResult refused = ReadWholeFile(file, 10);
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(refused.bytes.empty());
    EXPECT_NE(refused.reason.find("文件太大"), std::string::npos) << refused.reason;
    EXPECT_NE(refused.reason.find("10 字节"), std::string::npos) << refused.reason;
    const ReadResult fits = ReadWholeFile(file, 11);
    EXPECT_TRUE(fits.ok) << fits.reason;
    EXPECT_EQ(fits.bytes, "0123456789");
}

TEST_F(FileIoTest, HugeSparseFilesAreRefusedWithTheirSize) {
    // Sparse files cost no disk. 4 GiB + 1 would read as 1 byte if the size
    // were ever taken as 32 bits; 2 GiB is the first size the limit refuses,
    // whatever capacity the caller asks for.
    struct Case {
        std::uint64_t size;
        std::size_t capacity;
        std::string size_text;
    };
    const std::vector<Case> cases = {
        {(std::uint64_t{4} << 30) + 1, kMaxFileBytes - 1, "4294967297 字节"},
        {(std::uint64_t{4} << 30) + 1, static_cast<std::size_t>(-1), "4294967297 字节"},
        {kMaxFileBytes, static_cast<std::size_t>(-1), "2147483648 字节"},
    };
    for (const Case& c : cases) {
        const fs::path file = dir_ / "sparse.bin";
        const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        const int truncated = ::ftruncate(fd, static_cast<off_t>(c.size));
        ::close(fd);
        if (truncated != 0) GTEST_SKIP() << "this file system cannot hold a sparse file of " << c.size << " bytes";
        const ReadResult result = ReadWholeFile(file, c.capacity);
        EXPECT_FALSE(result.ok) << c.size;
        EXPECT_TRUE(result.bytes.empty()) << c.size << " bytes came back as " << result.bytes.size();
        EXPECT_NE(result.reason.find("文件太大"), std::string::npos) << result.reason;
        EXPECT_NE(result.reason.find(c.size_text), std::string::npos) << result.reason;
    }
}

// ---------------------------------------------------------------- writing

TEST_F(FileIoTest, WritesExactlyTheBytesOverWhateverWasThere) {
    struct Case {
        std::string before;  // "<none>": no file yet
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"<none>", "abc"},
        {"<none>", ""},
        {"a much longer old content than the new one", "abc"},
        {"old", ""},
        {"short", RandomBytes(2 << 20, 11)},
        {"x", std::string("a\0b\r\n", 5)},
    };
    for (const Case& c : cases) {
        const fs::path file = dir_ / "out.txt";
        fs::remove(file);
        if (c.before != "<none>") Put(file, c.before);
        const WriteResult result = WriteFileSafely(file, c.bytes);
        EXPECT_TRUE(result.ok) << result.reason;
        EXPECT_EQ(fs::file_size(file), c.bytes.size()) << "no terminating zero, nothing of the old content";
        EXPECT_TRUE(ReadBack(file) == c.bytes);
        EXPECT_EQ(Names(dir_), std::set<std::string>{"out.txt"}) << "a temporary file was left behind";
    }
}

TEST_F(FileIoTest, PermissionsOwnerAndNewFileModeAreKept) {
    const fs::path file = dir_ / "kept.txt";
    for (mode_t mode : {0640, 0604, 0755, 0600}) {
        Put(file, "old");
        ASSERT_EQ(::chmod(file.c_str(), mode), 0);
        const WriteResult result = WriteFileSafely(file, "new");
        EXPECT_TRUE(result.ok) << result.reason;
        EXPECT_EQ(ModeOf(file), mode) << std::oct << mode;
    }

    const mode_t old_umask = ::umask(027);
    const WriteResult created = WriteFileSafely(dir_ / "new.txt", "n");
    ::umask(old_umask);
    EXPECT_TRUE(created.ok) << created.reason;
    EXPECT_EQ(ModeOf(dir_ / "new.txt"), 0640u) << "a new file gets 0666 less the umask";

    if (::geteuid() == 0) {
        const passwd* nobody = ::getpwnam("nobody");
        if (nobody != nullptr) {
            ASSERT_EQ(::chown(file.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
            EXPECT_TRUE(WriteFileSafely(file, "by root").ok);
            struct stat status {};
            ASSERT_EQ(::stat(file.c_str(), &status), 0);
            EXPECT_EQ(status.st_uid, nobody->pw_uid) << "root's save gave the file away";
            EXPECT_EQ(status.st_gid, nobody->pw_gid);
        }
    }
    EXPECT_EQ(Names(dir_), (std::set<std::string>{"kept.txt", "new.txt"}));
}

TEST_F(FileIoTest, SymbolicLinksAreFollowedAndStayLinks) {
    // link -> sub/middle -> ../real.txt, both relative to their own folders.
    fs::create_directory(dir_ / "sub");
    Put(dir_ / "real.txt", "old content");
    fs::create_symlink("../real.txt", dir_ / "sub" / "middle");
    fs::create_symlink("sub/middle", dir_ / "link");
    WriteResult result = WriteFileSafely(dir_ / "link", "through links");
    EXPECT_TRUE(result.ok) << result.reason;
    EXPECT_TRUE(fs::is_symlink(dir_ / "link"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "sub" / "middle"));
    EXPECT_EQ(ReadBack(dir_ / "real.txt"), "through links");

    // A dangling link: its target is created.
    fs::create_symlink("made.txt", dir_ / "dangling");
    result = WriteFileSafely(dir_ / "dangling", "made");
    EXPECT_TRUE(result.ok) << result.reason;
    EXPECT_TRUE(fs::is_symlink(dir_ / "dangling"));
    EXPECT_EQ(ReadBack(dir_ / "made.txt"), "made");

    // A loop ends with a reason, and nothing is made.
    fs::create_symlink("loop-b", dir_ / "loop-a");
    fs::create_symlink("loop-a", dir_ / "loop-b");
    result = WriteFileSafely(dir_ / "loop-a", "never");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.reason, "符号链接层数太多");
    EXPECT_EQ(Names(dir_),
              (std::set<std::string>{"sub", "real.txt", "link", "dangling", "made.txt", "loop-a", "loop-b"}));
    EXPECT_EQ(Names(dir_ / "sub"), std::set<std::string>{"middle"});
}

TEST_F(FileIoTest, TargetsThatAreNotFilesAreRefusedUntouched) {
    fs::create_directory(dir_ / "folder");
    Put(dir_ / "folder" / "inside", "kept");
    ASSERT_EQ(::mkfifo((dir_ / "pipe").c_str(), 0644), 0);
    struct Case {
        fs::path path;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {dir_ / "folder", "这是一个文件夹"},
        {dir_ / "pipe", "这不是普通文件"},
        {dir_ / "gone" / "x.txt", "文件或文件夹不存在"},
        {fs::path(), "没有给出文件名"},
    };
    for (const Case& c : cases) {
        const WriteResult result = WriteFileSafely(c.path, "data");
        EXPECT_FALSE(result.ok) << c.path;
        EXPECT_EQ(result.reason, c.reason) << c.path;
    }
    EXPECT_TRUE(fs::is_fifo(dir_ / "pipe"));
    EXPECT_EQ(ReadBack(dir_ / "folder" / "inside"), "kept");
    EXPECT_EQ(Names(dir_), (std::set<std::string>{"folder", "pipe"}));
}

TEST_F(FileIoTest, ALongNameStillGetsItsTemporaryFile) {
    std::string name;
    while (name.size() + 3 + 4 <= 255) name += "记";  // 3 bytes each: the temporary name must be cut
    name += ".txt";
    ASSERT_LE(name.size(), 255u);
    const WriteResult result = WriteFileSafely(dir_ / name, "long");
    EXPECT_TRUE(result.ok) << result.reason;
    EXPECT_EQ(Names(dir_), std::set<std::string>{name});
}

TEST_F(FileIoTest, AWriteThatFailsPartWayLeavesTheOldFileAsItWas) {
    // A file-size limit in a child makes the write stop part-way, the way a
    // full disk would.
    const std::string old_content = RandomBytes(1000, 3);
    const fs::path file = dir_ / "precious.txt";
    Put(file, old_content);
    const mode_t old_mode = ModeOf(file);
    const auto limit = []() -> std::optional<std::string> {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{64 << 10, 64 << 10};
        if (::setrlimit(RLIMIT_FSIZE, &small) != 0) return std::string("setrlimit failed");
        return std::nullopt;
    };
    for (const fs::path& target : {file, dir_ / "fresh.txt"}) {
        const ChildOutcome outcome =
            RunInChild(limit, [&] { return WriteFileSafely(target, RandomBytes(1 << 20, 5)); });
        ASSERT_TRUE(outcome.ran) << outcome.skip;
        EXPECT_FALSE(outcome.result.ok) << "a write cut short was reported as success";
        EXPECT_EQ(outcome.result.reason, "文件太大");
    }
    EXPECT_TRUE(ReadBack(file) == old_content) << "the old file was changed";
    EXPECT_EQ(ModeOf(file), old_mode);
    EXPECT_EQ(Names(dir_), std::set<std::string>{"precious.txt"}) << "a temporary file was left behind";
}

TEST_F(FileIoTest, ReadOnlyFilesAndFoldersAsAnUnprivilegedUser) {
    const Unprivileged user = FindUnprivilegedUser();
    if (!user.skip.empty()) GTEST_SKIP() << user.skip;

    struct Case {
        const char* what;
        bool file_exists;
        mode_t file_mode;
        mode_t folder_mode;
        rlim_t size_limit;  // 0: none
        bool ok;
        std::string reason;  // the start of it
        std::string after;   // the file's content afterwards; "<none>": no file
    };
    const std::vector<Case> cases = {
        {"read-only file, writable folder", true, 0444, 0755, 0, false, "没有访问权限", "old"},
        {"read-only file, read-only folder", true, 0444, 0555, 0, false, "没有访问权限", "old"},
        {"no file, read-only folder", false, 0, 0555, 0, false, "没有访问权限", "<none>"},
        // The last resort: the folder takes no new file, the file itself is
        // writable, so it is written in place.
        {"writable file, read-only folder", true, 0644, 0555, 0, true, "", "new content"},
        // ... and when that fails part-way, the reason says so.
        {"writable file, read-only folder, disk full", true, 0644, 0555, 4, false, "文件太大（文件夹不能写入", "new "},
    };
    for (const Case& c : cases) {
        const fs::path folder = dir_ / "case";
        const fs::path file = folder / "file.txt";
        fs::create_directory(folder);
        if (c.file_exists) {
            Put(file, "old");
            ASSERT_EQ(::chmod(file.c_str(), c.file_mode), 0);
        }
        if (user.change) {
            ASSERT_EQ(::chown(folder.c_str(), user.uid, user.gid), 0);
            if (c.file_exists) {
                ASSERT_EQ(::chown(file.c_str(), user.uid, user.gid), 0);
            }
        }
        ASSERT_EQ(::chmod(folder.c_str(), c.folder_mode), 0);

        const auto setup = [&]() -> std::optional<std::string> {
            if (std::optional<std::string> skip = BecomeUnprivileged(user, folder)) return skip;
            if (c.size_limit != 0) {
                ::signal(SIGXFSZ, SIG_IGN);
                const rlimit small{c.size_limit, c.size_limit};
                if (::setrlimit(RLIMIT_FSIZE, &small) != 0) return std::string("setrlimit failed");
            }
            return std::nullopt;
        };
        const ChildOutcome outcome = RunInChild(setup, [&] { return WriteFileSafely(file, "new content"); });
        if (!outcome.ran) GTEST_SKIP() << outcome.skip;

        EXPECT_EQ(outcome.result.ok, c.ok) << c.what << ": " << outcome.result.reason;
        EXPECT_EQ(outcome.result.reason.substr(0, c.reason.size()), c.reason) << c.what;
        if (c.after == "<none>") {
            EXPECT_FALSE(fs::exists(file)) << c.what;
        } else {
            EXPECT_EQ(ReadBack(file), c.after) << c.what;
            EXPECT_EQ(ModeOf(file), c.file_mode) << c.what;
        }
        const std::set<std::string> expected =
            c.file_exists ? std::set<std::string>{"file.txt"} : std::set<std::string>{};
        EXPECT_EQ(Names(folder), expected) << c.what << ": a temporary file was left behind";

        ::chmod(folder.c_str(), 0755);
        fs::remove_all(folder);
    }
}

}  // namespace
}  // namespace landuo::editor
