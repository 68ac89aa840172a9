// Where a program named on a command line is looked for: the system folder,
// the Windows folder, then the folders on PATH, but never the program's own
// folder nor the current folder, which a file dialog moves to wherever the
// user last went (a calc.exe lying there must not run in place of the real one).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace landuo::ui::win32 {

// Splits a command line into its first word (quotes removed) and the rest.
struct CommandLineParts {
    std::wstring program;
    std::wstring arguments;
};
CommandLineParts SplitCommandLine(std::wstring_view command_line);

// The full path of `program` (".exe" added when it has no extension), or
// nullopt when none of the safe folders holds it. A name with a folder in it
// is taken as it is, if it is absolute.
std::optional<std::wstring> FindProgram(std::wstring_view program);

}  // namespace landuo::ui::win32
