// Whole-file reading and writing by safe replace.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace landuo::editor {

// Files of this many bytes or more are refused: the edit box's length is a
// signed 32-bit count.
inline constexpr std::uint64_t kMaxFileBytes = std::uint64_t{1} << 31;

struct ReadResult {
    bool ok = false;
    std::string bytes;   // the whole file when ok
    std::string reason;  // UTF-8, Chinese, when not ok: why it could not be read
};

// Reads the whole file; on Windows other programs are denied write access
// while it reads, and a file another program holds open for writing fails.
// An empty file is read as no bytes, successfully. A file that cannot be
// opened, is not a regular file, has `capacity` bytes or more, or fails while
// being read gives !ok with the reason; nothing is cut short silently.
ReadResult ReadWholeFile(const std::filesystem::path& path, std::size_t capacity = kMaxFileBytes - 1);

struct WriteResult {
    bool ok = false;
    std::string reason;  // UTF-8, Chinese, when not ok
};

// Replaces the file's content with exactly `bytes`. The bytes go to a new file
// in the target's folder, which is flushed to disk and then renamed over the
// target, so a failure at any step leaves the old file byte for byte as it was
// and removes the new one. A symbolic link is followed (the link stays a link)
// and an existing file keeps its permission bits. Only when no file can be made
// in the folder but the target itself is writable is the target written in
// place, as the last resort.
WriteResult WriteFileSafely(const std::filesystem::path& path, std::string_view bytes);

}  // namespace landuo::editor
