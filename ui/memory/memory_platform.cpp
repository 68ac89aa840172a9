#include "ui/memory/memory_platform.h"

#include <algorithm>
#include <utility>

namespace landuo::ui::memory {

namespace {

std::size_t Slot(WindowId window) { return static_cast<std::size_t>(window); }

std::string_view FirstWord(std::string_view command_line) {
    return command_line.substr(0, command_line.find(' '));
}

}  // namespace

DialogAnswer DialogAnswer::Confirm(std::filesystem::path path) {
    DialogAnswer answer;
    answer.file = std::move(path);
    return answer;
}

DialogAnswer DialogAnswer::ConfirmFont(FontDialogResult result) {
    DialogAnswer answer;
    answer.font = std::move(result);
    return answer;
}

DialogAnswer DialogAnswer::Cancel() { return {}; }

MemoryPlatform::MemoryPlatform(const HandlerTable& handlers)
    : Platform(handlers), code_page_(&Utf8CodePage()), windows_(kWindowCount) {}

MemoryPlatform::~MemoryPlatform() = default;

// ---- Records -------------------------------------------------------------------------

MemoryPlatform::WindowRecord& MemoryPlatform::Record(WindowId window) { return windows_[Slot(window)]; }

const MemoryPlatform::WindowRecord& MemoryPlatform::Record(WindowId window) const {
    return windows_[Slot(window)];
}

MemoryPlatform::UnitRecord* MemoryPlatform::Find(UnitRef unit) {
    WindowRecord& window = Record(unit.window);
    if (!window.built || unit.index >= window.units.size()) {
        return nullptr;
    }
    return &window.units[unit.index];
}

const MemoryPlatform::UnitRecord* MemoryPlatform::Find(UnitRef unit) const {
    return const_cast<MemoryPlatform*>(this)->Find(unit);
}

bool MemoryPlatform::IsShown(WindowId window) const { return Record(window).built && Record(window).shown; }
bool MemoryPlatform::AlwaysOnTop(WindowId window) const { return Record(window).always_on_top; }
Point MemoryPlatform::PlaceOf(WindowId window) const { return Record(window).place; }
int MemoryPlatform::BuildCount(WindowId window) const { return Record(window).builds; }
int MemoryPlatform::ActivationCount(WindowId window) const { return Record(window).activations; }
Colour MemoryPlatform::WindowBackColour(WindowId window) const { return Record(window).back_colour; }
std::string_view MemoryPlatform::FocusedUnit(WindowId window) const { return Record(window).focused; }
std::optional<int> MemoryPlatform::StyleWhenShown(WindowId window) const { return Record(window).style_when_shown; }

const std::string& MemoryPlatform::WidgetText(UnitRef unit) const {
    static const std::string kNone;
    const UnitRecord* record = Find(unit);
    return record != nullptr ? record->text : kNone;
}

bool MemoryPlatform::WidgetVisible(UnitRef unit) const {
    const UnitRecord* record = Find(unit);
    return record != nullptr && record->visible;
}

Colour MemoryPlatform::TextColourOf(UnitRef unit) const {
    const UnitRecord* record = Find(unit);
    return record != nullptr ? record->text_colour : 0;
}

Colour MemoryPlatform::BackColourOf(UnitRef unit) const {
    const UnitRecord* record = Find(unit);
    return record != nullptr ? record->back_colour : 0;
}

std::optional<LogicalFont> MemoryPlatform::FontOf(UnitRef unit) const {
    const UnitRecord* record = Find(unit);
    return record != nullptr ? record->font : std::nullopt;
}

// ---- The user's input ---------------------------------------------------------------------

void MemoryPlatform::Click(UnitRef unit) {
    // Only what is on screen can be clicked, and nothing while a dialog is shown.
    const UnitRecord* record = Find(unit);
    if (record != nullptr && record->visible && windows_enabled_ && IsShown(unit.window)) {
        InputEvent(unit, EventKind::Click);
    }
}

void MemoryPlatform::ChooseColour(UnitRef picker, Colour colour) {
    UnitRecord* record = Find(picker);
    if (record == nullptr || !record->visible || !windows_enabled_ ||
        DescriptionOf(picker).kind != UnitKind::ColourPicker) {
        return;
    }
    // The picker stores the colour first, then raises its event, also when
    // the colour is the one it had.
    record->back_colour = colour;
    InputEvent(picker, EventKind::ColourChosen);
}

void MemoryPlatform::LeftPress(UnitRef unit) {
    const UnitRecord* record = Find(unit);
    if (record != nullptr && record->visible && windows_enabled_ && IsShown(unit.window)) {
        InputEvent(unit, EventKind::LeftPress);
    }
}

void MemoryPlatform::RequestClose(WindowId window) {
    if (Record(window).built) {
        InputCloseRequest(window);
    }
}

void MemoryPlatform::PressEscape(WindowId window) {
    if (Record(window).built && DescriptionOf(window).esc_closes) {
        InputCloseRequest(window);
    }
}

void MemoryPlatform::Type(UnitRef edit_box, std::string utf8) {
    if (UnitRecord* record = Find(edit_box); record != nullptr && windows_enabled_) {
        record->text = std::move(utf8);
    }
}

void MemoryPlatform::AdvanceClock(std::chrono::milliseconds elapsed) {
    const std::chrono::milliseconds until = clock_ + elapsed;
    for (;;) {
        // The timer that falls due first; a timer never fires twice for one
        // interval, so a long advance ticks once per interval, in order.
        std::optional<UnitRef> due;
        std::chrono::milliseconds due_at = until;
        for (std::size_t w = 0; w < windows_.size(); ++w) {
            const WindowRecord& window = windows_[w];
            if (!window.built) {
                continue;
            }
            for (std::size_t u = 0; u < window.units.size(); ++u) {
                const UnitRecord& unit = window.units[u];
                if (unit.next_tick.count() > 0 && unit.next_tick <= due_at) {
                    due_at = unit.next_tick;
                    due = UnitRef{static_cast<WindowId>(w), static_cast<std::uint16_t>(u)};
                }
            }
        }
        if (!due) {
            break;
        }
        clock_ = due_at;
        UnitRecord& timer = *Find(*due);
        timer.next_tick += std::chrono::milliseconds(DescriptionOf(*due).timer_interval_ms);
        InputEvent(*due, EventKind::Tick);
    }
    clock_ = until;
}

void MemoryPlatform::SetLocalTime(const LocalTime& time) {
    using namespace std::chrono;
    const sys_days date = year_month_day{year{time.year}, month{static_cast<unsigned>(time.month)},
                                         day{static_cast<unsigned>(time.day)}};
    clock_start_ = date + hours{time.hour} + minutes{time.minute} + seconds{time.second};
    clock_start_ -= duration_cast<seconds>(clock_);
}

void MemoryPlatform::QueueTimeReadings(std::vector<LocalTime> readings) {
    time_readings_.insert(time_readings_.end(), readings.begin(), readings.end());
}

LocalTime MemoryPlatform::TimeNow() const {
    using namespace std::chrono;
    const sys_seconds now = clock_start_ + duration_cast<seconds>(clock_);
    const sys_days date = floor<days>(now);
    const year_month_day ymd{date};
    const hh_mm_ss time{now - date};
    return LocalTime{
        .year = int{ymd.year()},
        .month = static_cast<int>(unsigned{ymd.month()}),
        .day = static_cast<int>(unsigned{ymd.day()}),
        .hour = static_cast<int>(time.hours().count()),
        .minute = static_cast<int>(time.minutes().count()),
        .second = static_cast<int>(time.seconds().count()),
    };
}

// ---- Start-up, the loop, shutdown -------------------------------------------------------------

bool MemoryPlatform::NativeInitialise() {
    initialised_ = true;
    return true;
}

void MemoryPlatform::NativeShutdown() { shut_down_ = true; }

int MemoryPlatform::NativeRunLoop() {
    while (!quit_code_ && !posted_.empty()) {
        auto input = std::move(posted_.front());
        posted_.pop_front();
        input(*this);
    }
    return quit_code_.value_or(kInputExhausted);
}

void MemoryPlatform::NativeQuit(int exit_code) {
    if (!quit_code_ || exit_code != 0) {
        quit_code_ = exit_code;
    }
}

void MemoryPlatform::NativeProcessPending() {}

void MemoryPlatform::NativeShowFatalError(std::string_view message_utf8) {
    fatal_errors_.emplace_back(message_utf8);
}

// ---- Windows ----------------------------------------------------------------------------------

bool MemoryPlatform::NativeBuildWindow(const WindowDescription& description) {
    if (std::exchange(fail_next_build_, false)) {
        return false;
    }
    WindowRecord& window = Record(description.id);
    const int builds = window.builds;
    window = WindowRecord{};
    window.builds = builds + 1;
    window.built = true;
    window.back_colour = description.back_colour;
    window.place = CentredPlace(screen_, description.outer_size);
    for (const UnitDescription& unit : description.units) {
        UnitRecord record;
        record.visible = unit.visible && IsVisual(unit.kind);
        record.text = std::string(unit.caption);
        record.text_colour = unit.text_colour;
        record.back_colour = unit.back_colour;
        if (unit.font) {
            record.font = LogicalFont{.height = -unit.font->height,
                                      .weight = unit.font->weight,
                                      .face = EncodeFromUtf8(std::string(unit.font->face), *code_page_).bytes};
        }
        if (unit.kind == UnitKind::Timer) {
            record.next_tick = clock_ + std::chrono::milliseconds(unit.timer_interval_ms);
        }
        window.units.push_back(std::move(record));
    }
    if (during_build_) {
        during_build_(*this);
    }
    return true;
}

void MemoryPlatform::NativeDestroyWindow(WindowId window) {
    const int builds = Record(window).builds;
    Record(window) = WindowRecord{};
    Record(window).builds = builds;
    destroyed_.push_back(window);
}

void MemoryPlatform::NativeShowWindow(WindowId id, bool visible) {
    WindowRecord& window = Record(id);
    window.shown = visible;
    if (!visible) {
        return;
    }
    if (!window.style_when_shown) {
        window.style_when_shown = visual_style_;
    }
    ++window.activations;
    if (window.focused.empty()) {
        const WindowDescription& description = DescriptionOf(id);
        for (std::string_view name : description.focus_order) {
            const auto unit = std::find_if(description.units.begin(), description.units.end(),
                                           [&](const UnitDescription& u) { return u.name == name; });
            const UnitRecord& record = window.units[static_cast<std::size_t>(unit - description.units.begin())];
            if (record.visible && unit->enabled) {
                window.focused = std::string(name);
                break;
            }
        }
    }
}

void MemoryPlatform::NativeRestoreOrActivate(WindowId window) { ++Record(window).activations; }

void MemoryPlatform::NativeSetWindowsEnabled(bool enabled) { windows_enabled_ = enabled; }

void MemoryPlatform::NativeSetVisualStyle(int scheme) { visual_style_ = scheme; }

void MemoryPlatform::NativeSetAlwaysOnTop(WindowId window, bool on_top) { Record(window).always_on_top = on_top; }

// ---- Units -----------------------------------------------------------------------------------

void MemoryPlatform::NativeSetVisible(UnitRef unit, bool visible) {
    if (UnitRecord* record = Find(unit)) {
        record->visible = visible && IsVisual(DescriptionOf(unit).kind);
    }
}

EncodedText MemoryPlatform::NativeReadText(UnitRef unit) {
    const UnitRecord* record = Find(unit);
    return record != nullptr ? EncodeFromUtf8(record->text, *code_page_) : EncodedText{};
}

void MemoryPlatform::NativeSetText(UnitRef unit, std::string text) {
    if (UnitRecord* record = Find(unit)) {
        record->text = DecodeToUtf8(std::move(text), *code_page_);
    }
}

void MemoryPlatform::NativeSetTextColour(UnitRef unit, Colour colour) {
    if (UnitRecord* record = Find(unit)) {
        record->text_colour = colour;
    }
}

void MemoryPlatform::NativeSetBackColour(UnitRef unit, Colour colour) {
    if (unit.index == kWindowSelf) {
        Record(unit.window).back_colour = colour;
    } else if (UnitRecord* record = Find(unit)) {
        record->back_colour = colour;
    }
}

void MemoryPlatform::NativeSetFont(UnitRef unit, const LogicalFont* font) {
    if (UnitRecord* record = Find(unit)) {
        record->font = font != nullptr ? std::optional<LogicalFont>(*font) : std::nullopt;
    }
}

Colour MemoryPlatform::NativeGetPickerColour(UnitRef picker) {
    const UnitRecord* record = Find(picker);
    return record != nullptr ? record->back_colour : 0;
}

std::size_t MemoryPlatform::NativeTextCapacity(UnitRef) { return text_capacity_; }

// ---- Dialogs and messages ---------------------------------------------------------------------------

DialogAnswer MemoryPlatform::NextAnswer() {
    if (answers_.empty()) {
        ++unanswered_dialogs_;
        return DialogAnswer::Cancel();
    }
    DialogAnswer answer = std::move(answers_.front());
    answers_.pop_front();
    return answer;
}

std::optional<std::filesystem::path> MemoryPlatform::NativeFileDialog(const FileDialogRequest& request) {
    dialogs_shown_.push_back({.file = request, .windows_enabled = windows_enabled_});
    DialogAnswer answer = NextAnswer();
    if (answer.while_shown) {
        answer.while_shown(*this);
    }
    return answer.file;
}

std::optional<FontDialogResult> MemoryPlatform::NativeFontDialog(const FontDialogRequest& request) {
    dialogs_shown_.push_back({.font = request, .windows_enabled = windows_enabled_});
    DialogAnswer answer = NextAnswer();
    if (answer.while_shown) {
        answer.while_shown(*this);
    }
    return answer.font;
}

void MemoryPlatform::NativeShowErrorMessage(std::string_view message_utf8) {
    error_messages_.emplace_back(message_utf8);
}

// ---- System ----------------------------------------------------------------------------------------

bool MemoryPlatform::NativeRunCommandLine(std::string_view command_line, bool) {
    programs_started_.emplace_back(command_line);
    return std::find(installed_.begin(), installed_.end(), FirstWord(command_line)) != installed_.end();
}

bool MemoryPlatform::NativeShellOpen(std::string_view path) {
    shell_opens_.emplace_back(path);
    return true;
}

LocalTime MemoryPlatform::NativeLocalTime() {
    if (!time_readings_.empty()) {
        const LocalTime reading = time_readings_.front();
        time_readings_.pop_front();
        return reading;
    }
    return TimeNow();
}

LogicalFont MemoryPlatform::NativeDefaultUiFont() {
    return LogicalFont{.height = -12, .weight = kWeightNormal, .face = "Sans"};
}

}  // namespace landuo::ui::memory
