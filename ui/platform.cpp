// The handler-facing operations that are the same on every platform: property
// access guarded against windows that are gone, and the common dialogs.
#include "ui/platform.h"

#include <utility>

#include "ui/main_window.h"
#include "ui/prompt_window.h"

namespace landuo::ui {

namespace {

std::filesystem::path PathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// "*.txt" and ".txt" both mean the extension "txt": a dialog appends ".txt"
// to a name typed without one, never anything made from the pattern.
std::string_view BareExtension(std::string_view extension) {
    if (extension.starts_with("*")) {
        extension.remove_prefix(1);
    }
    if (extension.starts_with(".")) {
        extension.remove_prefix(1);
    }
    return extension;
}

}  // namespace

// While a dialog is shown the program's windows take no input, so no handler
// can unload a window under the handler that waits for the dialog.
class ModalScope {
public:
    explicit ModalScope(Platform& platform) : platform_(platform) {
        if (platform_.frame_.dialogs_shown++ == 0) {
            platform_.NativeSetWindowsEnabled(false);
        }
    }
    ~ModalScope() {
        if (--platform_.frame_.dialogs_shown == 0) {
            platform_.NativeSetWindowsEnabled(true);
        }
    }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

private:
    Platform& platform_;
};

Platform::Platform(const HandlerTable& handlers) : handlers_(handlers) {}

Platform::~Platform() = default;

const WindowDescription& Platform::DescriptionOf(WindowId window) {
    return window == WindowId::Main ? main_window::kDescription : prompt_window::kDescription;
}

const UnitDescription& Platform::DescriptionOf(UnitRef unit) {
    return DescriptionOf(unit.window).units[unit.index];
}

UnitState* Platform::StateOf(UnitRef unit) {
    WindowState& window = frame_.windows[static_cast<std::size_t>(unit.window)];
    if (!window.loaded || unit.index >= window.units.size()) {
        return nullptr;
    }
    return &window.units[unit.index];
}

const UnitState* Platform::StateOf(UnitRef unit) const {
    return const_cast<Platform*>(this)->StateOf(unit);
}

bool Platform::IsLoaded(WindowId window) const {
    return frame_.windows[static_cast<std::size_t>(window)].loaded;
}

// ---- Processes, the shell, messages ---------------------------------------------

bool Platform::RunCommandLine(std::string_view command_line, bool wait) {
    return NativeRunCommandLine(command_line, wait);
}

bool Platform::ShellOpen(std::string_view path) { return NativeShellOpen(path); }

void Platform::ShowErrorMessage(std::string_view message_utf8) {
    NativeShowErrorMessage(SanitiseUtf8(message_utf8));
}

void Platform::SetVisualStyle(int scheme) { NativeSetVisualStyle(scheme); }

// ---- Properties ------------------------------------------------------------------

bool Platform::IsVisible(UnitRef unit) const {
    if (unit.index == kWindowSelf) {
        const WindowState& window = frame_.windows[static_cast<std::size_t>(unit.window)];
        return window.loaded && window.visible;
    }
    const UnitState* state = StateOf(unit);
    return state != nullptr && state->visible;
}

void Platform::SetVisible(UnitRef unit, bool visible) {
    if (unit.index == kWindowSelf) {
        WindowState& window = frame_.windows[static_cast<std::size_t>(unit.window)];
        if (window.loaded) {
            window.visible = visible;
            NativeShowWindow(unit.window, visible);
        }
        return;
    }
    if (UnitState* state = StateOf(unit)) {
        state->visible = visible;
        NativeSetVisible(unit, visible);
    }
}

EncodedText Platform::ReadText(UnitRef unit) {
    if (StateOf(unit) == nullptr) {
        return {};
    }
    return NativeReadText(unit);
}

void Platform::SetText(UnitRef unit, std::string text) {
    if (StateOf(unit) != nullptr) {
        NativeSetText(unit, std::move(text));
    }
}

void Platform::SetTextColour(UnitRef unit, Colour colour) {
    if (StateOf(unit) != nullptr) {
        NativeSetTextColour(unit, colour);
    }
}

void Platform::SetBackColour(UnitRef unit, Colour colour) {
    if (unit.index == kWindowSelf ? IsLoaded(unit.window) : StateOf(unit) != nullptr) {
        NativeSetBackColour(unit, colour);
    }
}

LogicalFont Platform::GetFont(UnitRef unit) {
    const UnitState* state = StateOf(unit);
    if (state == nullptr) {
        return {};
    }
    return state->font ? *state->font : NativeDefaultUiFont();
}

void Platform::SetFont(UnitRef unit, LogicalFont font) {
    if (UnitState* state = StateOf(unit)) {
        state->font = std::move(font);
        NativeSetFont(unit, &*state->font);
    }
}

void Platform::SetAlwaysOnTop(WindowId window, bool on_top) {
    if (IsLoaded(window)) {
        NativeSetAlwaysOnTop(window, on_top);
    }
}

Colour Platform::GetPickerColour(UnitRef picker) {
    return StateOf(picker) != nullptr ? NativeGetPickerColour(picker) : Colour{0};
}

std::filesystem::path Platform::GetFileName(UnitRef dialog) const {
    const UnitState* state = StateOf(dialog);
    return state != nullptr ? state->file_name : std::filesystem::path{};
}

FontChoice Platform::GetFontChoice(UnitRef dialog) const {
    const UnitState* state = StateOf(dialog);
    return state != nullptr ? state->font_choice : FontChoice{};
}

std::size_t Platform::TextCapacity(UnitRef edit_box) {
    return StateOf(edit_box) != nullptr ? NativeTextCapacity(edit_box) : 0;
}

// ---- System ----------------------------------------------------------------------

LocalTime Platform::ReadLocalTime() { return NativeLocalTime(); }

int Platform::PixelsPerInchY() { return NativePixelsPerInchY(); }

const CodePage& Platform::SystemCodePage() { return NativeCodePage(); }

std::string Platform::SystemText(std::string_view utf8) {
    return EncodeFromUtf8(std::string(utf8), NativeCodePage()).bytes;
}

// ---- Common dialogs ------------------------------------------------------------------

bool Platform::ShowCommonDialog(UnitRef dialog) {
    const UnitState* state = StateOf(dialog);
    if (state == nullptr || dialog.index == kWindowSelf || DescriptionOf(dialog).dialog == nullptr) {
        return false;
    }
    const DialogSettings& settings = *DescriptionOf(dialog).dialog;
    ModalScope modal(*this);

    if (settings.kind == DialogKind::Font) {
        const int dpi = NativePixelsPerInchY();
        const FontDialogRequest request{
            .initial = StartingFont(state->font_choice, dpi),
            .colour = state->font_choice.colour,
            .screen_fonts = settings.screen_fonts,
            .effects = settings.effects,
        };
        const std::optional<FontDialogResult> result = NativeFontDialog(request);
        // The window may have gone while the dialog was shown.
        UnitState* after = StateOf(dialog);
        if (!result || after == nullptr) {
            return false;
        }
        after->font_choice = ChoiceFromDialog(result->chosen, result->colour, dpi);
        return true;
    }

    const std::string_view filter = settings.filter;
    const std::size_t bar = filter.find('|');
    const FileDialogRequest request{
        .kind = settings.kind,
        .title = settings.title,
        .file_name = state->file_name,
        .filter_name = filter.substr(0, bar),
        .filter_pattern = bar == std::string_view::npos ? std::string_view{} : filter.substr(bar + 1),
        .default_extension = BareExtension(settings.default_extension),
        // A save dialog must take a new name: "must exist" only applies to opening.
        .file_must_exist = settings.file_must_exist && settings.kind == DialogKind::OpenFile,
        .overwrite_prompt = settings.overwrite_prompt && settings.kind == DialogKind::SaveFile,
        .path_must_exist = settings.path_must_exist,
        .hide_read_only = settings.hide_read_only,
    };
    std::optional<std::filesystem::path> chosen = NativeFileDialog(request);
    UnitState* after = StateOf(dialog);
    if (!chosen || chosen->empty() || after == nullptr) {
        return false;
    }
    after->file_name = std::move(*chosen);
    return true;
}

// ---- Building a window's state -------------------------------------------------------

bool Platform::BuildWindow(WindowId id) {
    const WindowDescription& description = DescriptionOf(id);
    WindowState& window = frame_.windows[static_cast<std::size_t>(id)];
    window = WindowState{};
    window.units.reserve(description.units.size());
    for (const UnitDescription& unit : description.units) {
        UnitState state;
        state.visible = unit.visible;
        if (unit.dialog != nullptr) {
            state.file_name = PathFromUtf8(unit.dialog->file_name);
            state.font_choice.colour = unit.dialog->initial_colour;
        }
        window.units.push_back(std::move(state));
    }
    window.loaded = true;
    if (!NativeBuildWindow(description)) {
        window = WindowState{};
        return false;
    }
    return true;
}

}  // namespace landuo::ui
