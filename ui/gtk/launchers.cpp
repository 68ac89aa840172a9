#include "ui/gtk/launchers.h"

#include <glib.h>

#include <algorithm>

namespace landuo::ui::gtk {

namespace {

std::string FindOnPath(std::string_view program) {
    if (program.empty()) {
        return {};
    }
    gchar* found = g_find_program_in_path(std::string(program).c_str());
    if (found == nullptr) {
        return {};
    }
    std::string path(found);
    g_free(found);
    return path;
}

std::string FirstCandidate(std::string_view key) {
    const auto launcher = std::find_if(kLaunchers.begin(), kLaunchers.end(),
                                       [&](const Launcher& row) { return row.windows_command == key; });
    if (launcher == kLaunchers.end()) {
        return {};
    }
    for (std::string_view candidate : launcher->candidates) {
        if (std::string path = FindOnPath(candidate); !path.empty()) {
            return path;
        }
    }
    return {};
}

std::vector<std::string> Words(std::string_view line) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t start = line.find_first_not_of(' ', at);
        if (start == std::string_view::npos) {
            break;
        }
        const std::size_t end = std::min(line.find(' ', start), line.size());
        words.emplace_back(line.substr(start, end - start));
        at = end;
    }
    return words;
}

bool IsShellNamespacePath(std::string_view path) { return path.starts_with("::{"); }

}  // namespace

std::vector<std::string> ResolveCommandLine(std::string_view command_line) {
    std::vector<std::string> words = Words(command_line);
    if (words.empty()) {
        return {};
    }
    const bool known = std::any_of(kLaunchers.begin(), kLaunchers.end(),
                                   [&](const Launcher& row) { return row.windows_command == words.front(); });
    std::string program = known ? FirstCandidate(words.front()) : FindOnPath(words.front());
    if (program.empty()) {
        return {};
    }
    words.front() = std::move(program);
    return words;
}

std::vector<std::string> ResolveShellOpen(std::string_view path) {
    if (IsShellNamespacePath(path)) {
        std::string program = FirstCandidate(kControlPanelKey);
        if (program.empty()) {
            return {};
        }
        return {std::move(program)};
    }
    std::string opener = FirstCandidate("explorer");
    if (opener.empty() || path.empty()) {
        return {};
    }
    return {std::move(opener), std::string(path)};
}

}  // namespace landuo::ui::gtk
