#include "ui/gtk/gtk_platform.h"

#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <utility>

#include "ui/gtk/gtk_dialogs.h"
#include "ui/gtk/iconv_code_page.h"
#include "ui/gtk/launchers.h"
#include "ui/look.h"

namespace landuo::ui::gtk_assets {
extern const unsigned char kPictureJpeg[];
extern const std::size_t kPictureJpeg_size;
extern const unsigned char kIconPng[];
extern const std::size_t kIconPng_size;
}  // namespace landuo::ui::gtk_assets

namespace landuo::ui::gtk {

namespace {

using NativeUnit = GtkPlatform::NativeUnit;
using NativeWindow = GtkPlatform::NativeWindow;

// Sizes every platform control must keep exactly, whatever the theme: GTK's
// own minimums and paddings would make the buttons larger than their places.
constexpr std::string_view kBaseCss = R"css(
button.landuo-button, button.landuo-picker {
  min-height: 0; min-width: 0; padding: 0 2px;
}
button.landuo-button label { padding: 0; margin: 0; }
button.landuo-swatch {
  min-height: 0; min-width: 0; padding: 0; border: none; background: none; box-shadow: none;
}
scrolledwindow.landuo-edit {
  border-style: solid; border-width: 2px;
  border-color: rgb(160,160,160) rgb(255,255,255) rgb(255,255,255) rgb(160,160,160);
}
window.landuo-prompt headerbar {
  min-height: 18px; padding: 0 2px; margin: 0; border-width: 0; border-radius: 0;
}
window.landuo-prompt headerbar button.titlebutton {
  min-height: 14px; min-width: 14px; padding: 0; margin: 1px 0;
}
window.landuo-prompt, window.landuo-prompt decoration,
window.landuo-prompt.solid-csd decoration, window.landuo-prompt.csd decoration {
  padding: 0; margin: 0; border-width: 0; border-radius: 0; box-shadow: none;
}
window.landuo-prompt.solid-csd, window.landuo-prompt.csd { padding: 0; margin: 0; }
)css";

// Reads a byte array into a pixbuf; nullptr with the reason when it doesn't decode.
GdkPixbuf* LoadPixbuf(const unsigned char* bytes, std::size_t size, std::string& error_text) {
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
    GError* error = nullptr;
    GdkPixbuf* pixbuf = nullptr;
    if (gdk_pixbuf_loader_write(loader, bytes, size, &error) && gdk_pixbuf_loader_close(loader, &error)) {
        pixbuf = gdk_pixbuf_loader_get_pixbuf(loader);
        if (pixbuf != nullptr) {
            g_object_ref(pixbuf);
        }
    } else {
        gdk_pixbuf_loader_close(loader, nullptr);
    }
    if (error != nullptr) {
        error_text = error->message;
        g_error_free(error);
    }
    g_object_unref(loader);
    return pixbuf;
}

std::string QuotedCss(std::string_view text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            quoted.push_back('\\');
        }
        if (c == '\n' || c == '\r') {
            continue;
        }
        quoted.push_back(c);
    }
    quoted.push_back('"');
    return quoted;
}

GtkWidget* FocusWidgetOf(const NativeUnit& unit) {
    if (unit.text_view != nullptr) {
        return unit.text_view;
    }
    return unit.root;
}

std::string AccessibleName(const UnitDescription& description) {
    switch (description.kind) {
    case UnitKind::EditBox:
        return "编辑框";
    case UnitKind::PictureBox:
        return "图片";
    case UnitKind::ColourPicker:
        return description.name == "颜色选择器1" ? "编辑框背景颜色" : "窗口背景颜色";
    default:
        break;
    }
    std::string caption;
    for (char c : description.caption) {
        if (c != '\r' && c != '\n') {
            caption.push_back(c);
        }
    }
    if (!caption.empty()) {
        return caption;
    }
    if (description.name == "透明标签1") {
        return "网页链接";
    }
    if (description.name == "透明标签2") {
        return "日期";
    }
    if (description.name == "透明标签3") {
        return "时间";
    }
    return std::string(description.name);
}

// ---- Signal handlers -------------------------------------------------------------

gboolean OnWindowDelete(GtkWidget*, GdkEvent*, gpointer data) {
    auto* window = static_cast<NativeWindow*>(data);
    // The frame decides; it destroys the window through NativeDestroyWindow.
    window->platform->ReportCloseRequest(window->id);
    return TRUE;
}

gboolean OnWindowKey(GtkWidget*, GdkEventKey* event, gpointer data) {
    auto* window = static_cast<NativeWindow*>(data);
    GtkPlatform* platform = window->platform;
    if (!platform->WindowsEnabled()) {
        return TRUE;
    }
    const guint modifiers = event->state & gtk_accelerator_get_default_mod_mask();
    if ((event->keyval == GDK_KEY_Tab || event->keyval == GDK_KEY_ISO_Left_Tab || event->keyval == GDK_KEY_KP_Tab) &&
        (modifiers & ~GDK_SHIFT_MASK) == 0) {
        const bool back = event->keyval == GDK_KEY_ISO_Left_Tab || (modifiers & GDK_SHIFT_MASK) != 0;
        platform->MoveFocus(*window, !back);
        return TRUE;
    }
    if (event->keyval == GDK_KEY_Escape && modifiers == 0 &&
        GtkPlatform::Describe(window->id).esc_closes) {
        platform->ReportCloseRequest(window->id);
        return TRUE;
    }
    return FALSE;
}

gboolean OnWindowPress(GtkWidget* widget, GdkEventButton* event, gpointer data) {
    auto* window = static_cast<NativeWindow*>(data);
    if (!window->platform->WindowsEnabled()) {
        return TRUE;
    }
    if (event->type != GDK_BUTTON_PRESS || event->button != 1 || !GtkPlatform::Describe(window->id).drag_anywhere) {
        return FALSE;
    }
    // Presses in the edit box and on buttons reach the window too: only the
    // window's own background, and the title label and the picture, which
    // draw on it, start a drag.
    GtkWidget* target = gtk_get_event_widget(reinterpret_cast<GdkEvent*>(event));
    if (target != widget && target != window->fixed) {
        return FALSE;
    }
    gtk_window_begin_move_drag(GTK_WINDOW(widget), static_cast<gint>(event->button), static_cast<gint>(event->x_root),
                               static_cast<gint>(event->y_root), event->time);
    return TRUE;
}

gboolean OnDrawBackground(GtkWidget* widget, cairo_t* cr, gpointer data) {
    const auto* window = static_cast<NativeWindow*>(data);
    const Colour colour = window->back_colour;
    cairo_set_source_rgb(cr, RedOf(colour) / 255.0, GreenOf(colour) / 255.0, BlueOf(colour) / 255.0);
    cairo_rectangle(cr, 0, 0, gtk_widget_get_allocated_width(widget), gtk_widget_get_allocated_height(widget));
    cairo_fill(cr);
    return FALSE;
}

void OnButtonClicked(GtkButton*, gpointer data) {
    auto* unit = static_cast<NativeUnit*>(data);
    unit->platform->ReportEvent(unit->ref, EventKind::Click);
}

gboolean OnTimer(gpointer data) {
    auto* unit = static_cast<NativeUnit*>(data);
    GtkPlatform* platform = unit->platform;
    const UnitRef ref = unit->ref;
    platform->ReportEvent(ref, EventKind::Tick);
    return G_SOURCE_CONTINUE;
}

gboolean OnEditKey(GtkWidget* widget, GdkEventKey* event, gpointer data) {
    auto* unit = static_cast<NativeUnit*>(data);
    GtkTextView* view = GTK_TEXT_VIEW(widget);
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(view);
    const guint modifiers = event->state & gtk_accelerator_get_default_mod_mask();
    const guint key = gdk_keyval_to_lower(event->keyval);
    if ((event->keyval == GDK_KEY_Return || event->keyval == GDK_KEY_KP_Enter) &&
        (modifiers & ~GDK_SHIFT_MASK) == 0) {
        // A line break in this program's text is CR LF.
        gtk_text_buffer_begin_user_action(buffer);
        gtk_text_buffer_delete_selection(buffer, TRUE, gtk_text_view_get_editable(view));
        gtk_text_buffer_insert_interactive_at_cursor(buffer, "\r\n", 2, gtk_text_view_get_editable(view));
        gtk_text_buffer_end_user_action(buffer);
        gtk_text_view_scroll_mark_onscreen(view, gtk_text_buffer_get_insert(buffer));
        return TRUE;
    }
    bool changed = false;
    if (modifiers == GDK_CONTROL_MASK && key == GDK_KEY_z) {
        changed = unit->undo->Undo();
    } else if ((modifiers == GDK_CONTROL_MASK && key == GDK_KEY_y) ||
               (modifiers == (GDK_CONTROL_MASK | GDK_SHIFT_MASK) && key == GDK_KEY_z)) {
        changed = unit->undo->Redo();
    } else {
        if (event->keyval != GDK_KEY_BackSpace && event->keyval != GDK_KEY_Delete && event->string != nullptr &&
            event->length == 0) {
            // A caret move ends the run of typing being recorded.
            unit->undo->Break();
        }
        return FALSE;
    }
    if (changed) {
        gtk_text_view_scroll_mark_onscreen(view, gtk_text_buffer_get_insert(buffer));
    }
    return TRUE;
}

gboolean OnEditPress(GtkWidget*, GdkEventButton*, gpointer data) {
    static_cast<NativeUnit*>(data)->undo->Break();
    return FALSE;
}

// Underline and strike-out cover all of the text, typed text included.
void OnEditInserted(GtkTextBuffer* buffer, GtkTextIter* end, gchar* text, gint length, gpointer data) {
    auto* unit = static_cast<NativeUnit*>(data);
    if (unit->decoration == nullptr || !unit->font || (!unit->font->underline && !unit->font->strike_out)) {
        return;
    }
    GtkTextIter start = *end;
    gtk_text_iter_backward_chars(&start, static_cast<gint>(g_utf8_strlen(text, length)));
    gtk_text_buffer_apply_tag(buffer, unit->decoration, &start, end);
}

}  // namespace

// ---- Construction -----------------------------------------------------------------

GtkPlatform::GtkPlatform(const HandlerTable& handlers) : Platform(handlers) {}

GtkPlatform::~GtkPlatform() { NativeShutdown(); }

GtkPlatform::NativeUnit* GtkPlatform::Find(UnitRef unit) {
    NativeWindow* window = WindowRecord(unit.window);
    if (window == nullptr || unit.index >= window->units.size()) {
        return nullptr;
    }
    return window->units[unit.index].get();
}

GtkPlatform::NativeUnit* GtkPlatform::UnitOfWidget(NativeWindow& window, GtkWidget* widget) {
    while (widget != nullptr && gtk_widget_get_parent(widget) != window.fixed) {
        widget = gtk_widget_get_parent(widget);
    }
    if (widget == nullptr) {
        return nullptr;
    }
    for (const auto& unit : window.units) {
        if (unit->root == widget) {
            return unit.get();
        }
    }
    return nullptr;
}

// ---- Start-up, the loop, shutdown ------------------------------------------------------

bool GtkPlatform::NativeInitialise() {
    // The program file's folder becomes the current folder, wherever it was started from.
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error && program.has_parent_path()) {
        std::filesystem::current_path(program.parent_path(), error);
    }
    std::setlocale(LC_ALL, "");
    locale_code_page_ = LocaleCodePage();
    if (!gtk_init_check(nullptr, nullptr)) {
        std::fprintf(stderr, "landuo-notepad: cannot open the display (DISPLAY=%s)\n",
                     g_getenv("DISPLAY") != nullptr ? g_getenv("DISPLAY") : "");
        return false;
    }
    gtk_ready_ = true;

    base_css_ = gtk_css_provider_new();
    gtk_css_provider_load_from_data(base_css_, kBaseCss.data(), static_cast<gssize>(kBaseCss.size()), nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(base_css_),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);

    std::string picture_error;
    picture_ = LoadPixbuf(gtk_assets::kPictureJpeg, gtk_assets::kPictureJpeg_size, picture_error);
    if (picture_ == nullptr) {
        std::fprintf(stderr, "landuo-notepad: the built-in picture does not decode: %s\n", picture_error.c_str());
    }
    std::string icon_error;
    icon_ = LoadPixbuf(gtk_assets::kIconPng, gtk_assets::kIconPng_size, icon_error);
    if (icon_ != nullptr) {
        gtk_window_set_default_icon(icon_);
    }
    return true;
}

void GtkPlatform::NativeShutdown() {
    for (auto& window : windows_) {
        if (window) {
            NativeDestroyWindow(window->id);
        }
    }
    if (gtk_ready_) {
        for (GtkCssProvider** css : {&base_css_, &themed_css_}) {
            if (*css != nullptr) {
                gtk_style_context_remove_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(*css));
                g_object_unref(*css);
                *css = nullptr;
            }
        }
    }
    for (GdkPixbuf** pixbuf : {&picture_, &icon_}) {
        if (*pixbuf != nullptr) {
            g_object_unref(*pixbuf);
            *pixbuf = nullptr;
        }
    }
}

int GtkPlatform::NativeRunLoop() {
    while (!quit_requested_) {
        gtk_main_iteration_do(TRUE);
    }
    return exit_code_;
}

void GtkPlatform::NativeQuit(int exit_code) {
    if (!quit_requested_ || exit_code != 0) {
        exit_code_ = exit_code;
    }
    quit_requested_ = true;
    g_main_context_wakeup(nullptr);
}

void GtkPlatform::NativeProcessPending() {
    if (!gtk_ready_) {
        return;
    }
    while (gtk_events_pending()) {
        gtk_main_iteration_do(FALSE);
    }
}

void GtkPlatform::NativeShowFatalError(std::string_view message_utf8) {
    std::fprintf(stderr, "landuo-notepad: %.*s\n", static_cast<int>(message_utf8.size()), message_utf8.data());
    if (gtk_ready_) {
        RunMessage(nullptr, message_utf8, GTK_MESSAGE_ERROR);
    }
}

// ---- Windows -------------------------------------------------------------------------

GtkWidget* GtkPlatform::BuildEditBox(NativeUnit& unit, const UnitDescription& description) {
    GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_style_context_add_class(gtk_widget_get_style_context(scrolled), "landuo-edit");
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled),
                                   (description.flags & kWordWrap) != 0 ? GTK_POLICY_NEVER : GTK_POLICY_AUTOMATIC,
                                   (description.flags & kVerticalScrollBar) != 0 ? GTK_POLICY_AUTOMATIC
                                                                                 : GTK_POLICY_NEVER);
    gtk_scrolled_window_set_overlay_scrolling(GTK_SCROLLED_WINDOW(scrolled), FALSE);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scrolled), GTK_SHADOW_NONE);

    GtkWidget* view = gtk_text_view_new();
    unit.text_view = view;
    gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(view),
                                (description.flags & kWordWrap) != 0 ? GTK_WRAP_WORD_CHAR : GTK_WRAP_NONE);
    gtk_text_view_set_accepts_tab(GTK_TEXT_VIEW(view), FALSE);
    gtk_text_view_set_left_margin(GTK_TEXT_VIEW(view), 1);
    gtk_text_view_set_right_margin(GTK_TEXT_VIEW(view), 1);
    gtk_container_add(GTK_CONTAINER(scrolled), view);

    unit.css = gtk_css_provider_new();
    gtk_style_context_add_provider(gtk_widget_get_style_context(view), GTK_STYLE_PROVIDER(unit.css),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION + 1);
    ApplyEditLook(unit);

    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
    unit.undo = std::make_unique<TextUndo>(buffer);
    {
        const TextUndo::Pause pause(*unit.undo);
        gtk_text_buffer_set_text(buffer, description.caption.data(), static_cast<gint>(description.caption.size()));
    }
    GtkTextIter start;
    gtk_text_buffer_get_start_iter(buffer, &start);
    gtk_text_buffer_place_cursor(buffer, &start);

    g_signal_connect(view, "key-press-event", G_CALLBACK(OnEditKey), &unit);
    g_signal_connect(view, "button-press-event", G_CALLBACK(OnEditPress), &unit);
    g_signal_connect_after(buffer, "insert-text", G_CALLBACK(OnEditInserted), &unit);
    atk_object_set_name(gtk_widget_get_accessible(view), "编辑框");
    gtk_widget_show(view);
    return scrolled;
}

void GtkPlatform::ApplyEditLook(NativeUnit& unit) {
    std::string css = "textview, textview text { background-color: " + CssColour(unit.back_colour) +
                      "; color: " + CssColour(unit.text_colour) + "; }\n";
    if (unit.font) {
        const LogicalFont& font = *unit.font;
        const std::string face = DecodeToUtf8(font.face, NativeCodePage());
        css += "textview {";
        if (!face.empty()) {
            css += " font-family: " + QuotedCss(face) + ";";
        }
        if (font.height != 0) {
            css += " font-size: " + std::to_string(std::abs(font.height)) + "px;";
        }
        css += " font-weight: " + std::to_string(font.weight > 0 ? std::clamp(font.weight, 100, 900) : 400) + ";";
        css += std::string(" font-style: ") + (font.italic ? "italic" : "normal") + "; }\n";
    }
    gtk_css_provider_load_from_data(unit.css, css.data(), static_cast<gssize>(css.size()), nullptr);
}

std::unique_ptr<NativeUnit> GtkPlatform::BuildUnit(NativeWindow& window, const UnitDescription& description,
                                                   UnitRef ref) {
    auto unit = std::make_unique<NativeUnit>();
    unit->platform = this;
    unit->ref = ref;
    unit->kind = description.kind;
    unit->text_colour = description.text_colour;
    unit->back_colour = description.back_colour;
    unit->look.caption = std::string(description.caption);
    unit->look.text_colour = description.text_colour;
    unit->look.effect = description.effect;
    unit->look.sunken_edge = (description.flags & kSunkenEdge) != 0;
    if (description.font) {
        const LogicalFont font{.height = -description.font->height,
                               .weight = description.font->weight,
                               .face = EncodeFromUtf8(std::string(description.font->face), NativeCodePage()).bytes};
        unit->look.font = FontDescriptionFor(font, NativeCodePage());
    }

    switch (description.kind) {
    case UnitKind::Button: {
        GtkWidget* button = gtk_button_new();
        GtkWidget* label = gtk_label_new(std::string(description.caption).c_str());
        gtk_label_set_justify(GTK_LABEL(label), GTK_JUSTIFY_CENTER);
        gtk_label_set_line_wrap(GTK_LABEL(label), (description.flags & kCaptionWraps) != 0);
        gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
        gtk_widget_show(label);
        gtk_container_add(GTK_CONTAINER(button), label);
        gtk_style_context_add_class(gtk_widget_get_style_context(button), "landuo-button");
        g_signal_connect(button, "clicked", G_CALLBACK(OnButtonClicked), unit.get());
        unit->root = button;
        break;
    }
    case UnitKind::EditBox:
        unit->root = BuildEditBox(*unit, description);
        break;
    case UnitKind::Label:
        unit->look.title_gradient = true;
        unit->root = NewTitleLabel(&unit->look);
        break;
    case UnitKind::TransparentLabel: {
        NativeUnit* self = unit.get();
        unit->root = NewTransparentLabel(&unit->look, description.pointer == Pointer::Hand,
                                         [self] { self->platform->ReportEvent(self->ref, EventKind::LeftPress); });
        break;
    }
    case UnitKind::PictureBox:
        unit->root = NewPictureBox(picture_);
        break;
    case UnitKind::ColourPicker: {
        NativeUnit* self = unit.get();
        unit->picker = std::make_unique<ColourPicker>(
            description.back_colour, [self] { self->platform->ReportEvent(self->ref, EventKind::ColourChosen); },
            [self] { return self->platform->WindowsEnabled(); });
        unit->root = unit->picker->Widget();
        break;
    }
    case UnitKind::Timer:
        if (description.timer_interval_ms > 0) {
            unit->timer = g_timeout_add(static_cast<guint>(description.timer_interval_ms), OnTimer, unit.get());
        }
        return unit;
    case UnitKind::CommonDialog:
    case UnitKind::Window:
        return unit;
    }
    gtk_widget_set_size_request(unit->root, description.rect.width, description.rect.height);
    gtk_widget_set_sensitive(unit->root, description.enabled);
    atk_object_set_name(gtk_widget_get_accessible(unit->root), AccessibleName(description).c_str());
    gtk_fixed_put(GTK_FIXED(window.fixed), unit->root, description.rect.x, description.rect.y);
    if (description.visible) {
        gtk_widget_show(unit->root);
    }
    return unit;
}

bool GtkPlatform::NativeBuildWindow(const WindowDescription& description) {
    if (!gtk_ready_) {
        return false;
    }
    if (picture_ == nullptr &&
        std::any_of(description.units.begin(), description.units.end(),
                    [](const UnitDescription& unit) { return unit.kind == UnitKind::PictureBox; })) {
        std::fprintf(stderr, "landuo-notepad: the picture box has no picture: the built-in JPEG did not load\n");
        return false;
    }
    NativeDestroyWindow(description.id);
    auto record = std::make_unique<NativeWindow>();
    NativeWindow& window = *record;
    window.platform = this;
    window.id = description.id;
    window.back_colour = description.back_colour;
    window.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWindow* gtk_window = GTK_WINDOW(window.window);
    gtk_window_set_title(gtk_window, std::string(description.caption).c_str());
    gtk_window_set_resizable(gtk_window, FALSE);
    gtk_window_set_skip_taskbar_hint(gtk_window, !description.in_task_bar);
    if (icon_ != nullptr) {
        gtk_window_set_icon(gtk_window, icon_);
    }

    Size client = description.outer_size;
    if (description.frame == WindowFrame::Borderless) {
        gtk_window_set_decorated(gtk_window, FALSE);
    } else {
        // A narrow title bar with no text and a close box only.
        gtk_style_context_add_class(gtk_widget_get_style_context(window.window), "landuo-prompt");
        GtkWidget* bar = gtk_header_bar_new();
        gtk_header_bar_set_show_close_button(GTK_HEADER_BAR(bar), TRUE);
        gtk_header_bar_set_decoration_layout(GTK_HEADER_BAR(bar), ":close");
        gtk_header_bar_set_has_subtitle(GTK_HEADER_BAR(bar), FALSE);
        gtk_window_set_titlebar(gtk_window, bar);
        gtk_widget_show(bar);
        int bar_height = 0;
        gtk_widget_get_preferred_height(bar, &bar_height, nullptr);
        client.height = std::max(0, client.height - bar_height);
    }

    window.fixed = gtk_fixed_new();
    gtk_widget_set_size_request(window.fixed, client.width, client.height);
    g_signal_connect(window.fixed, "draw", G_CALLBACK(OnDrawBackground), &window);
    gtk_container_add(GTK_CONTAINER(window.window), window.fixed);
    gtk_widget_show(window.fixed);

    // GtkFixed stacks in insertion order: the bottom unit goes in first.
    window.units.resize(description.units.size());
    for (std::size_t i = description.units.size(); i-- > 0;) {
        window.units[i] =
            BuildUnit(window, description.units[i], UnitRef{description.id, static_cast<std::uint16_t>(i)});
    }

    GdkRectangle screen{0, 0, 1024, 768};
    GdkDisplay* display = gdk_display_get_default();
    if (GdkMonitor* monitor = gdk_display_get_primary_monitor(display)) {
        gdk_monitor_get_geometry(monitor, &screen);
    } else if (GdkMonitor* first = gdk_display_get_monitor(display, 0)) {
        gdk_monitor_get_geometry(first, &screen);
    }
    const Point place = CentredPlace(Size{screen.width, screen.height}, description.outer_size);
    gtk_window_move(gtk_window, screen.x + place.x, screen.y + place.y);

    gtk_widget_add_events(window.window, GDK_BUTTON_PRESS_MASK | GDK_KEY_PRESS_MASK);
    g_signal_connect(window.window, "delete-event", G_CALLBACK(OnWindowDelete), &window);
    g_signal_connect(window.window, "key-press-event", G_CALLBACK(OnWindowKey), &window);
    g_signal_connect(window.window, "button-press-event", G_CALLBACK(OnWindowPress), &window);

    gtk_widget_realize(window.window);
    windows_[static_cast<std::size_t>(description.id)] = std::move(record);
    RestackInput(window);
    return true;
}

void GtkPlatform::NativeDestroyWindow(WindowId id) {
    std::unique_ptr<NativeWindow>& slot = windows_[static_cast<std::size_t>(id)];
    if (!slot) {
        return;
    }
    for (auto& unit : slot->units) {
        if (unit && unit->timer != 0) {
            g_source_remove(unit->timer);
            unit->timer = 0;
        }
    }
    // Take the record out first: nothing that destroying the widgets sets off
    // can reach it any more.
    std::unique_ptr<NativeWindow> window = std::move(slot);
    gtk_widget_destroy(window->window);
    for (auto& unit : window->units) {
        if (unit && unit->css != nullptr) {
            g_object_unref(unit->css);
        }
    }
}

void GtkPlatform::RestackInput(NativeWindow& window) {
    GdkWindow* parent = gtk_widget_get_window(window.window);
    if (parent == nullptr) {
        return;
    }
    std::vector<std::pair<std::size_t, GdkWindow*>> stacked;
    for (GList* child = gdk_window_peek_children(parent); child != nullptr; child = child->next) {
        auto* gdk_child = static_cast<GdkWindow*>(child->data);
        gpointer owner = nullptr;
        gdk_window_get_user_data(gdk_child, &owner);
        if (owner == nullptr || !GTK_IS_WIDGET(owner)) {
            continue;
        }
        if (NativeUnit* unit = UnitOfWidget(window, GTK_WIDGET(owner))) {
            stacked.emplace_back(unit->ref.index, gdk_child);
        }
    }
    // Bottom first, so the topmost unit's windows end up above all others.
    std::stable_sort(stacked.begin(), stacked.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& [index, gdk_child] : stacked) {
        gdk_window_raise(gdk_child);
    }
}

void GtkPlatform::MoveFocus(NativeWindow& window, bool forward) {
    const WindowDescription& description = DescriptionOf(window.id);
    const std::span<const std::string_view> order = description.focus_order;
    if (order.empty()) {
        return;
    }
    auto unit_named = [&](std::string_view name) -> NativeUnit* {
        for (std::size_t i = 0; i < description.units.size(); ++i) {
            if (description.units[i].name == name) {
                return window.units[i].get();
            }
        }
        return nullptr;
    };
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window.window));
    NativeUnit* current = focus != nullptr ? UnitOfWidget(window, focus) : nullptr;
    std::size_t at = order.size();
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (current != nullptr && unit_named(order[i]) == current) {
            at = i;
        }
    }
    const std::size_t count = order.size();
    for (std::size_t step = 1; step <= count; ++step) {
        const std::size_t next = at == count ? (forward ? step - 1 : count - step)
                                             : (forward ? (at + step) % count : (at + count - step) % count);
        NativeUnit* candidate = unit_named(order[next]);
        // Hidden and disabled units are skipped; covered ones are not.
        if (candidate != nullptr && candidate->root != nullptr && gtk_widget_get_visible(candidate->root) &&
            gtk_widget_is_sensitive(candidate->root)) {
            gtk_widget_grab_focus(FocusWidgetOf(*candidate));
            return;
        }
    }
}

void GtkPlatform::NativeShowWindow(WindowId id, bool visible) {
    NativeWindow* window = WindowRecord(id);
    if (window == nullptr) {
        return;
    }
    if (!visible) {
        gtk_widget_hide(window->window);
        return;
    }
    gtk_widget_show(window->window);
    gtk_window_present(GTK_WINDOW(window->window));
    if (gtk_window_get_focus(GTK_WINDOW(window->window)) == nullptr ||
        UnitOfWidget(*window, gtk_window_get_focus(GTK_WINDOW(window->window))) == nullptr) {
        gtk_window_set_focus(GTK_WINDOW(window->window), nullptr);
        MoveFocus(*window, true);
    }
    RestackInput(*window);
}

void GtkPlatform::NativeRestoreOrActivate(WindowId id) {
    if (NativeWindow* window = WindowRecord(id)) {
        gtk_window_deiconify(GTK_WINDOW(window->window));
        gtk_window_present(GTK_WINDOW(window->window));
    }
}

void GtkPlatform::NativeSetWindowsEnabled(bool enabled) {
    // The dialogs are modal and hold GTK's grab; this flag also stops what
    // reaches the windows around the grab (keys and presses handled here).
    windows_enabled_ = enabled;
}

void GtkPlatform::NativeSetVisualStyle(int scheme) {
    visual_style_ = scheme;
    GdkScreen* screen = gdk_screen_get_default();
    if (screen == nullptr) {
        return;
    }
    if (!look::ThemedLookOn(scheme)) {
        if (themed_css_ != nullptr) {
            gtk_style_context_remove_provider_for_screen(screen, GTK_STYLE_PROVIDER(themed_css_));
            g_object_unref(themed_css_);
            themed_css_ = nullptr;
        }
        return;
    }
    if (themed_css_ != nullptr) {
        return;
    }
    // Screen-wide, so the prompt's buttons and the dialogs' get it too.
    const std::string face = "linear-gradient(to bottom, " + CssColour(look::kButtonFaceTop) + ", " +
                             CssColour(look::kButtonFaceBottom) + ")";
    const std::string hot = "linear-gradient(to bottom, " + CssColour(look::kButtonHotTop) + ", " +
                            CssColour(look::kButtonHotBottom) + ")";
    const std::string pressed = "linear-gradient(to bottom, " + CssColour(look::kButtonPressedTop) + ", " +
                                CssColour(look::kButtonPressedBottom) + ")";
    const std::string radius = std::to_string(look::kButtonCornerRadius) + "px";
    const std::string css =
        "button:not(.titlebutton):not(.landuo-swatch) { border: 1px solid " + CssColour(look::kButtonBorder) +
        "; border-radius: " + radius + "; background-color: " + CssColour(look::kButtonFaceBottom) +
        "; background-image: " + face + "; color: " + CssColour(look::kButtonText) +
        "; box-shadow: none; text-shadow: none; -gtk-icon-shadow: none; outline-color: rgba(0,0,0,0.5); }\n"
        "button:not(.titlebutton):not(.landuo-swatch) label { color: " + CssColour(look::kButtonText) + "; }\n"
        "button:hover:not(.titlebutton):not(.landuo-swatch) { background-image: " + hot + "; }\n"
        "button:active:not(.titlebutton):not(.landuo-swatch), button:checked:not(.titlebutton):not(.landuo-swatch) "
        "{ background-image: " + pressed + "; }\n"
        "button:disabled:not(.titlebutton):not(.landuo-swatch) { border-color: " +
        CssColour(look::kButtonDisabledBorder) + "; background-image: none; background-color: " +
        CssColour(look::kButtonDisabledFace) + "; }\n"
        "button:disabled:not(.titlebutton) label { color: " + CssColour(look::kButtonDisabledText) + "; }\n"
        "scrolledwindow.landuo-edit { border: 1px solid " + CssColour(look::kEditFrame) +
        "; padding: 1px; background-color: rgb(255,255,255); }\n"
        "entry { border: 1px solid " + CssColour(look::kEditFrame) + "; border-radius: 0; box-shadow: none; }\n";
    themed_css_ = gtk_css_provider_new();
    gtk_css_provider_load_from_data(themed_css_, css.data(), static_cast<gssize>(css.size()), nullptr);
    gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(themed_css_),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

void GtkPlatform::NativeSetAlwaysOnTop(WindowId id, bool on_top) {
    if (NativeWindow* window = WindowRecord(id)) {
        gtk_window_set_keep_above(GTK_WINDOW(window->window), on_top);
    }
}

// ---- Units ------------------------------------------------------------------------------

void GtkPlatform::NativeSetVisible(UnitRef ref, bool visible) {
    NativeUnit* unit = Find(ref);
    if (unit == nullptr || unit->root == nullptr) {
        return;
    }
    gtk_widget_set_visible(unit->root, visible);
    if (visible) {
        RestackInput(*WindowRecord(ref.window));
    }
}

EncodedText GtkPlatform::NativeReadText(UnitRef ref) {
    NativeUnit* unit = Find(ref);
    if (unit == nullptr) {
        return {};
    }
    if (unit->text_view != nullptr) {
        GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(unit->text_view));
        GtkTextIter start;
        GtkTextIter end;
        gtk_text_buffer_get_bounds(buffer, &start, &end);
        gchar* text = gtk_text_buffer_get_text(buffer, &start, &end, TRUE);
        std::string utf8(text);
        g_free(text);
        return EncodeFromUtf8(std::move(utf8), NativeCodePage());
    }
    if (unit->kind == UnitKind::Button) {
        const gchar* label = gtk_button_get_label(GTK_BUTTON(unit->root));
        if (label == nullptr) {
            if (GtkWidget* child = gtk_bin_get_child(GTK_BIN(unit->root)); child != nullptr && GTK_IS_LABEL(child)) {
                label = gtk_label_get_text(GTK_LABEL(child));
            }
        }
        return EncodeFromUtf8(label != nullptr ? label : "", NativeCodePage());
    }
    return EncodeFromUtf8(unit->look.caption, NativeCodePage());
}

void GtkPlatform::NativeSetText(UnitRef ref, std::string text) {
    NativeUnit* unit = Find(ref);
    if (unit == nullptr) {
        return;
    }
    std::string utf8 = DecodeToUtf8(std::move(text), NativeCodePage());
    if (unit->text_view != nullptr) {
        GtkTextView* view = GTK_TEXT_VIEW(unit->text_view);
        GtkTextBuffer* buffer = gtk_text_view_get_buffer(view);
        {
            const TextUndo::Pause pause(*unit->undo);
            gtk_text_buffer_set_text(buffer, utf8.data(), static_cast<gint>(utf8.size()));
        }
        unit->undo->Clear();
        GtkTextIter start;
        gtk_text_buffer_get_start_iter(buffer, &start);
        gtk_text_buffer_place_cursor(buffer, &start);
        if (unit->decoration != nullptr && unit->font && (unit->font->underline || unit->font->strike_out)) {
            GtkTextIter end;
            gtk_text_buffer_get_end_iter(buffer, &end);
            gtk_text_buffer_apply_tag(buffer, unit->decoration, &start, &end);
        }
        gtk_text_view_scroll_to_mark(view, gtk_text_buffer_get_insert(buffer), 0.0, FALSE, 0.0, 0.0);
        return;
    }
    if (unit->kind == UnitKind::Button) {
        if (GtkWidget* child = gtk_bin_get_child(GTK_BIN(unit->root)); child != nullptr && GTK_IS_LABEL(child)) {
            gtk_label_set_text(GTK_LABEL(child), utf8.c_str());
        }
        return;
    }
    unit->look.caption = std::move(utf8);
    if (unit->root != nullptr) {
        const UnitDescription& description = DescriptionOf(ref);
        UnitDescription named = description;
        named.caption = unit->look.caption;
        atk_object_set_name(gtk_widget_get_accessible(unit->root), AccessibleName(named).c_str());
        // The label has no background: its parent repaints what lies under it first.
        gtk_widget_queue_draw(unit->root);
    }
}

void GtkPlatform::NativeSetTextColour(UnitRef ref, Colour colour) {
    NativeUnit* unit = Find(ref);
    if (unit == nullptr) {
        return;
    }
    unit->text_colour = colour;
    unit->look.text_colour = colour;
    if (unit->text_view != nullptr) {
        ApplyEditLook(*unit);
    } else if (unit->root != nullptr) {
        gtk_widget_queue_draw(unit->root);
    }
}

void GtkPlatform::NativeSetBackColour(UnitRef ref, Colour colour) {
    if (ref.index == kWindowSelf) {
        if (NativeWindow* window = WindowRecord(ref.window)) {
            window->back_colour = colour;
            gtk_widget_queue_draw(window->window);
        }
        return;
    }
    NativeUnit* unit = Find(ref);
    if (unit == nullptr) {
        return;
    }
    unit->back_colour = colour;
    if (unit->text_view != nullptr) {
        ApplyEditLook(*unit);
    } else if (unit->picker) {
        unit->picker->SetCurrent(colour);
    }
}

void GtkPlatform::NativeSetFont(UnitRef ref, const LogicalFont* font) {
    NativeUnit* unit = Find(ref);
    if (unit == nullptr) {
        return;
    }
    unit->font = font != nullptr ? std::optional<LogicalFont>(*font) : std::nullopt;
    if (unit->text_view == nullptr) {
        if (font != nullptr) {
            unit->look.font = FontDescriptionFor(*font, NativeCodePage());
        } else {
            unit->look.font.reset();
        }
        if (unit->root != nullptr) {
            gtk_widget_queue_draw(unit->root);
        }
        return;
    }
    ApplyEditLook(*unit);
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(unit->text_view));
    GtkTextIter start;
    GtkTextIter end;
    gtk_text_buffer_get_bounds(buffer, &start, &end);
    const bool underline = font != nullptr && font->underline;
    const bool strike_out = font != nullptr && font->strike_out;
    if (unit->decoration == nullptr && (underline || strike_out)) {
        unit->decoration = gtk_text_buffer_create_tag(buffer, nullptr, nullptr);
    }
    if (unit->decoration != nullptr) {
        g_object_set(unit->decoration, "underline", underline ? PANGO_UNDERLINE_SINGLE : PANGO_UNDERLINE_NONE,
                     "strikethrough", strike_out ? TRUE : FALSE, nullptr);
        if (underline || strike_out) {
            gtk_text_buffer_apply_tag(buffer, unit->decoration, &start, &end);
        } else {
            gtk_text_buffer_remove_tag(buffer, unit->decoration, &start, &end);
        }
    }
}

Colour GtkPlatform::NativeGetPickerColour(UnitRef ref) {
    NativeUnit* unit = Find(ref);
    return unit != nullptr && unit->picker ? unit->picker->Current() : Colour{0};
}

// A text buffer counts characters in a signed 32-bit integer.
std::size_t GtkPlatform::NativeTextCapacity(UnitRef) { return 0x7FFFFFFE; }

// ---- Dialogs and messages -------------------------------------------------------------

GtkWindow* GtkPlatform::DialogParent() {
    if (NativeWindow* main = WindowRecord(WindowId::Main); main != nullptr && gtk_widget_get_visible(main->window)) {
        return GTK_WINDOW(main->window);
    }
    if (NativeWindow* prompt = WindowRecord(WindowId::Prompt);
        prompt != nullptr && gtk_widget_get_visible(prompt->window)) {
        return GTK_WINDOW(prompt->window);
    }
    return nullptr;
}

std::optional<std::filesystem::path> GtkPlatform::NativeFileDialog(const FileDialogRequest& request) {
    return RunFileDialog(DialogParent(), request);
}

std::optional<FontDialogResult> GtkPlatform::NativeFontDialog(const FontDialogRequest& request) {
    return RunFontDialog(DialogParent(), request, NativeCodePage(), NativePixelsPerInchY());
}

void GtkPlatform::NativeShowErrorMessage(std::string_view message_utf8) {
    RunMessage(DialogParent(), message_utf8, GTK_MESSAGE_WARNING);
}

// ---- System ------------------------------------------------------------------------------

bool GtkPlatform::SpawnArgv(const std::vector<std::string>& argv) {
    if (argv.empty()) {
        return false;
    }
    std::vector<gchar*> pointers;
    pointers.reserve(argv.size() + 1);
    for (const std::string& word : argv) {
        pointers.push_back(const_cast<gchar*>(word.c_str()));
    }
    pointers.push_back(nullptr);
    GError* error = nullptr;
    const gboolean started =
        g_spawn_async(nullptr, pointers.data(), nullptr, G_SPAWN_DEFAULT, nullptr, nullptr, nullptr, &error);
    if (error != nullptr) {
        g_error_free(error);
    }
    return started != FALSE;
}

bool GtkPlatform::NativeRunCommandLine(std::string_view command_line, bool) {
    return SpawnArgv(ResolveCommandLine(command_line));
}

bool GtkPlatform::NativeShellOpen(std::string_view path) { return SpawnArgv(ResolveShellOpen(path)); }

LocalTime GtkPlatform::NativeLocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return LocalTime{.year = local.tm_year + 1900,
                     .month = local.tm_mon + 1,
                     .day = local.tm_mday,
                     .hour = local.tm_hour,
                     .minute = local.tm_min,
                     .second = std::min(local.tm_sec, 59)};
}

int GtkPlatform::NativePixelsPerInchY() {
    GdkScreen* screen = gtk_ready_ ? gdk_screen_get_default() : nullptr;
    const double dpi = screen != nullptr ? gdk_screen_get_resolution(screen) : -1.0;
    return dpi > 0 ? static_cast<int>(std::lround(dpi)) : 96;
}

LogicalFont GtkPlatform::NativeDefaultUiFont() {
    gchar* name = nullptr;
    if (GtkSettings* settings = gtk_settings_get_default()) {
        g_object_get(settings, "gtk-font-name", &name, nullptr);
    }
    FontDescription font(pango_font_description_from_string(name != nullptr ? name : "Sans 10"));
    g_free(name);
    const char* family = pango_font_description_get_family(font.get());
    const int size = pango_font_description_get_size(font.get());
    const int height = pango_font_description_get_size_is_absolute(font.get())
                           ? -(size / PANGO_SCALE)
                           : HeightForPoints((size + PANGO_SCALE / 2) / PANGO_SCALE, NativePixelsPerInchY());
    return LogicalFont{.height = height,
                       .weight = kWeightNormal,
                       .face = EncodeFromUtf8(family != nullptr ? family : "Sans", NativeCodePage()).bytes};
}

const CodePage& GtkPlatform::NativeCodePage() {
    return locale_code_page_ ? *locale_code_page_ : Utf8CodePage();
}

}  // namespace landuo::ui::gtk
