// The vocabulary every window description and every platform shares: unit
// kinds, colours, places, fonts, events and the ids that tie them together.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace landuo::ui {

// 0x00BBGGRR, red in the lowest byte.
using Colour = std::uint32_t;

// Stands for the system's button-face colour where a background is expected.
inline constexpr Colour kDefaultColourMarker = 0xFF000000;

constexpr Colour Rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return Colour{red} | (Colour{green} << 8) | (Colour{blue} << 16);
}
constexpr std::uint8_t RedOf(Colour c) { return static_cast<std::uint8_t>(c & 0xFF); }
constexpr std::uint8_t GreenOf(Colour c) { return static_cast<std::uint8_t>((c >> 8) & 0xFF); }
constexpr std::uint8_t BlueOf(Colour c) { return static_cast<std::uint8_t>((c >> 16) & 0xFF); }

struct Point {
    int x = 0;
    int y = 0;
    friend constexpr bool operator==(Point, Point) = default;
};

struct Size {
    int width = 0;
    int height = 0;
    friend constexpr bool operator==(Size, Size) = default;
};

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

// Where a window of `outer` size stands centred on a `screen`, each division
// dropping its remainder; negative on a screen smaller than the window.
constexpr Point CentredPlace(Size screen, Size outer) {
    return Point{(screen.width - outer.width) / 2, (screen.height - outer.height) / 2};
}

enum class UnitKind : std::uint8_t {
    Window,            // 窗口
    Button,            // 按钮
    EditBox,           // 编辑框
    Label,             // 标签
    TransparentLabel,  // 透明标签
    PictureBox,        // 图片框
    ColourPicker,      // 颜色选择器
    Timer,             // 时钟 (non-visual)
    CommonDialog,      // 通用对话框 (non-visual)
};

constexpr bool IsVisual(UnitKind kind) {
    return kind != UnitKind::Timer && kind != UnitKind::CommonDialog;
}

enum class TextEffect : std::uint8_t { None, Shadow, Emboss };

enum class Pointer : std::uint8_t { Arrow, Hand };

// A font a description gives a unit: face (UTF-8), character height in pixels
// and weight. Units without one use the system's default interface font.
struct StoredFont {
    std::string_view face;
    int height = 0;
    int weight = 400;
};

enum class WindowId : std::uint8_t { Main, Prompt };
inline constexpr int kWindowCount = 2;

// Addresses a unit of a window, or the window itself (kWindowSelf).
struct UnitRef {
    WindowId window = WindowId::Main;
    std::uint16_t index = 0;
    friend constexpr bool operator==(UnitRef, UnitRef) = default;
};
inline constexpr std::uint16_t kWindowSelf = 0xFFFF;

constexpr UnitRef SelfOf(WindowId window) { return UnitRef{window, kWindowSelf}; }

enum class EventKind : std::uint8_t {
    Created,
    Moved,
    Resized,
    CloseQuery,
    Destroying,
    Click,
    ColourChosen,
    Tick,
    LeftPress,
};

// Every handler a description can bind; app/ maps each to its function.
enum class HandlerId : std::uint8_t {
    StartUp,
    OpenDocument,
    SaveDocument,
    ChangeFont,
    SetEditBackground,
    SetWindowBackground,
    ShowToolPanel,
    HideToolPanel,
    LaunchTool,
    OpenControlPanel,
    OpenWebLink,
    UpdateClock,
    ShowSavePrompt,
    AnswerYes,
    AnswerNo,
    Count,
};
inline constexpr std::size_t kHandlerCount = static_cast<std::size_t>(HandlerId::Count);

// One binding row: the unit (empty for the window itself), the event, the
// handler and the text the handler is given (a launcher's command line).
struct Binding {
    std::string_view unit;
    EventKind event = EventKind::Click;
    HandlerId handler = HandlerId::StartUp;
    std::string_view argument;
};

enum class DialogKind : std::uint8_t { OpenFile, SaveFile, Font };

// A common dialog unit's settings at load. Texts are UTF-8.
struct DialogSettings {
    DialogKind kind = DialogKind::OpenFile;
    std::string_view title;
    std::string_view file_name;
    std::string_view filter;  // "shown name|pattern"
    std::string_view default_extension;
    bool create_prompt = false;
    bool file_must_exist = false;
    bool overwrite_prompt = false;
    bool path_must_exist = false;
    bool restore_current_folder = false;
    bool hide_read_only = false;
    Colour initial_colour = 0;
    bool screen_fonts = false;
    bool effects = false;
};

// Settings of a unit beyond its kind, colours and font.
enum UnitFlag : std::uint16_t {
    kMultiLine = 1 << 0,           // edit box: several lines
    kWordWrap = 1 << 1,            // edit box: long lines wrap, no horizontal scrolling
    kVerticalScrollBar = 1 << 2,   // edit box
    kEnterInsertsBreak = 1 << 3,   // edit box: Enter inserts CR LF
    kHideSelection = 1 << 4,       // edit box: selection hidden without the focus
    kSunkenEdge = 1 << 5,          // a sunken three-dimensional edge, 2 pixels
    kCaptionCentred = 1 << 6,      // caption centred both ways
    kCaptionWraps = 1 << 7,        // button caption may wrap onto several lines
    kSingleLineCaption = 1 << 8,   // label caption on one line
};

struct UnitDescription {
    std::string_view name;
    UnitKind kind = UnitKind::Button;
    Rect rect;
    std::string_view caption;  // UTF-8; an edit box's content
    Colour text_colour = 0;
    // A colour picker's current colour is its background colour.
    Colour back_colour = kDefaultColourMarker;
    std::optional<StoredFont> font;
    TextEffect effect = TextEffect::None;
    Pointer pointer = Pointer::Arrow;
    std::uint16_t flags = 0;
    bool visible = true;
    bool enabled = true;
    int timer_interval_ms = 0;
    const DialogSettings* dialog = nullptr;
};

enum class WindowFrame : std::uint8_t {
    Borderless,  // no border, title bar or system menu
    ToolWindow,  // fixed frame, narrow title bar with a close box only
};

struct WindowDescription {
    WindowId id = WindowId::Main;
    std::string_view caption;  // UTF-8; the task bar shows it
    Size outer_size;
    Colour back_colour = 0;
    WindowFrame frame = WindowFrame::Borderless;
    bool in_task_bar = true;
    bool drag_anywhere = false;  // background, labels and picture boxes move it
    bool esc_closes = false;
    bool visible = true;
    std::span<const UnitDescription> units;  // stacking order, topmost first
    std::span<const Binding> bindings;
    std::span<const std::string_view> focus_order;
};

}  // namespace landuo::ui
