// What every scenario starts from: the program started on the memory
// platform, and a scratch folder for the files it opens and saves.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "app/app.h"
#include "ui/main_window.h"
#include "ui/memory/memory_platform.h"
#include "ui/prompt_window.h"

namespace landuo::scenario {

namespace fs = std::filesystem;
using ui::memory::DialogAnswer;
using ui::memory::MemoryPlatform;

inline std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class ScratchFolder {
public:
    ScratchFolder() {
        std::random_device random;
        path_ = fs::temp_directory_path() / ("landuo-scenario-" + std::to_string(random()));
        fs::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    fs::path operator/(std::string_view name) const { return path_ / fs::path(std::u8string(name.begin(), name.end())); }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// The whole program on the memory platform. A scenario is the user's doing
// while the event loop runs: Run starts the program, hands `user` to its loop
// as its input and returns the exit code once the program has shut down, or
// kStillRunning when the program outlived the input.
class Scenario : public ::testing::Test {
protected:
    static constexpr int kStillRunning = MemoryPlatform::kInputExhausted;

    explicit Scenario(const ui::HandlerTable& handlers = app::Handlers()) : platform(handlers) {}

    int Run(const std::function<void()>& user) {
        platform.Post([&user](MemoryPlatform&) { user(); });
        return app::Main(platform);
    }

    std::string EditText() const { return platform.WidgetText(ui::main_window::编辑框1); }

    void OpenFile(const fs::path& path) {
        platform.AnswerNextDialog(DialogAnswer::Confirm(path));
        platform.Click(ui::main_window::按钮1);
    }

    void SaveFile(const fs::path& path) {
        platform.AnswerNextDialog(DialogAnswer::Confirm(path));
        platform.Click(ui::main_window::按钮2);
    }

    MemoryPlatform platform;
    ScratchFolder folder;
};

}  // namespace landuo::scenario
