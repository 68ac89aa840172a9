// GTK's open, save, font and message dialogs, set up as the core asks.
#pragma once

#include <gtk/gtk.h>

#include <filesystem>
#include <optional>
#include <string_view>

#include "ui/platform.h"

namespace landuo::ui::gtk {

// The confirmed full path, with the default extension added to a name typed
// without one; nullopt when cancelled.
std::optional<std::filesystem::path> RunFileDialog(GtkWindow* parent, const FileDialogRequest& request);

std::optional<FontDialogResult> RunFontDialog(GtkWindow* parent, const FontDialogRequest& request,
                                              const CodePage& code_page, int dpi);

void RunMessage(GtkWindow* parent, std::string_view text_utf8, GtkMessageType type);

}  // namespace landuo::ui::gtk
