// Open and save of large files through OpenDocument and SaveDocument on the
// memory platform, each beside the plain system calls doing the same work in
// the same run: a raw read into a fresh buffer, and a raw write followed by
// fsync. Prints medians, the ratios and the peak memory of an open.
//
//   landuo_file_bench [folder] [sizes in MB...]     (default: /tmp 1 10 100)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/app.h"
#include "ui/main_window.h"
#include "ui/memory/memory_platform.h"

namespace {

namespace fs = std::filesystem;
using landuo::ui::memory::DialogAnswer;
using landuo::ui::memory::MemoryPlatform;
namespace main_window = landuo::ui::main_window;

constexpr std::size_t kMegabyte = 1000 * 1000;

// 80-character lines ending in CR LF, as a long text file has them.
std::string TextOfSize(std::size_t size) {
    std::string line;
    for (int i = 0; i < 78; ++i) {
        line += static_cast<char>('!' + i % 90);
    }
    line += "\r\n";
    std::string text;
    text.reserve(size);
    while (text.size() + line.size() <= size) {
        text += line;
    }
    text.append(size - text.size(), 'x');
    return text;
}

double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

double TimeMs(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "landuo_file_bench: %s\n", what);
        std::exit(1);
    }
}

std::string RawRead(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    Check(fd >= 0, "raw open failed");
    struct stat info {};
    Check(::fstat(fd, &info) == 0, "fstat failed");
    std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
        Check(got > 0, "raw read failed");
        done += static_cast<std::size_t>(got);
    }
    ::close(fd);
    return bytes;
}

void RawWriteAndFlush(const fs::path& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    Check(fd >= 0, "raw create failed");
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        Check(put > 0, "raw write failed");
        done += static_cast<std::size_t>(put);
    }
    Check(::fsync(fd) == 0, "fsync failed");
    ::close(fd);
}

// The process's resident set in kB: now, or its peak since the last reset.
long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::atol(line.c_str() + std::string_view(field).size());
        }
    }
    return -1;
}

bool ResetPeak() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    return static_cast<bool>(clear);
}

struct Row {
    std::size_t megabytes;
    double raw_read, open, raw_write, save;
    double open_peak_ratio;
};

Row Measure(const fs::path& folder, std::size_t megabytes) {
    const std::size_t size = megabytes * kMegabyte;
    const int runs = megabytes >= 100 ? 7 : megabytes >= 10 ? 11 : 21;
    const fs::path source = folder / "landuo-bench-source.txt";
    const fs::path raw_target = folder / "landuo-bench-raw.txt";
    const fs::path target = folder / "landuo-bench-saved.txt";
    {
        const std::string text = TextOfSize(size);
        RawWriteAndFlush(source, text);
    }

    MemoryPlatform platform(landuo::app::Handlers());
    Check(landuo::app::StartUp(platform), "the main window did not load");
    auto open = [&] {
        platform.AnswerNextDialog(DialogAnswer::Confirm(source));
        platform.Click(main_window::按钮1);
    };
    auto save = [&] {
        platform.AnswerNextDialog(DialogAnswer::Confirm(target));
        platform.Click(main_window::按钮2);
    };

    std::vector<double> raw_reads, opens, raw_writes, saves;
    open();  // warm the page cache and the allocator
    // Like an open, the raw read replaces a buffer of the same size that is
    // released once the new one is filled.
    std::string held = RawRead(source);
    for (int i = 0; i < runs; ++i) {
        raw_reads.push_back(TimeMs([&] { held = RawRead(source); }));
        Check(held.size() == size, "short raw read");
        opens.push_back(TimeMs(open));
    }
    Check(platform.WidgetText(main_window::编辑框1).size() == size, "the open did not show the whole file");
    Check(platform.ErrorMessages().empty(), "the open reported an error");

    const std::string bytes = std::move(held);
    for (int i = 0; i < runs; ++i) {
        raw_writes.push_back(TimeMs([&] { RawWriteAndFlush(raw_target, bytes); }));
        saves.push_back(TimeMs(save));
    }
    Check(fs::file_size(target) == size, "the save did not write the whole text");

    // Peak memory of an open over a text of the same size, the worst case:
    // the old text is released only once the new one is in place.
    const long before = StatusKb("VmRSS:");
    double peak_ratio = -1;
    if (ResetPeak()) {
        open();
        const long peak = StatusKb("VmHWM:");
        peak_ratio = static_cast<double>(peak - before) * 1024.0 / static_cast<double>(size);
        // What the edit box held before the open is still resident: count it.
        peak_ratio += 1.0;
    }

    fs::remove(source);
    fs::remove(raw_target);
    fs::remove(target);
    return {megabytes, Median(raw_reads), Median(opens), Median(raw_writes), Median(saves), peak_ratio};
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    std::vector<std::size_t> sizes;
    for (int i = 2; i < argc; ++i) {
        sizes.push_back(static_cast<std::size_t>(std::atol(argv[i])));
    }
    if (sizes.empty()) {
        sizes = {1, 10, 100};
    }

    std::printf("file open and save on the memory platform, in %s (medians, ms)\n", folder.c_str());
    std::printf("%6s %10s %10s %7s %11s %10s %7s %14s\n", "MB", "raw read", "open", "ratio", "raw write", "save",
                "ratio", "open peak/size");
    bool within = true;
    for (std::size_t megabytes : sizes) {
        const Row row = Measure(folder, megabytes);
        const double open_ratio = row.open / row.raw_read;
        const double save_ratio = row.save / row.raw_write;
        std::printf("%6zu %10.2f %10.2f %6.2fx %11.2f %10.2f %6.2fx %13.2fx\n", row.megabytes, row.raw_read, row.open,
                    open_ratio, row.raw_write, row.save, save_ratio, row.open_peak_ratio);
        within = within && open_ratio <= 1.3 && save_ratio <= 1.5 && row.open_peak_ratio <= 2.2;
    }
    std::printf("targets: open <= 1.3x raw read, save <= 1.5x raw write and flush, open peak <= 2.2x size: %s\n",
                within ? "met" : "NOT met");
    return 0;
}
