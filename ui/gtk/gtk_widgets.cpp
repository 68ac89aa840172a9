#include "ui/gtk/gtk_widgets.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "ui/look.h"

namespace landuo::ui::gtk {

namespace {

// The system's button-face colour, where a picture does not reach.
constexpr Colour kButtonFace = Rgb(240, 240, 240);

void SetSource(cairo_t* cr, Colour colour) {
    cairo_set_source_rgb(cr, RedOf(colour) / 255.0, GreenOf(colour) / 255.0, BlueOf(colour) / 255.0);
}

void FillRect(cairo_t* cr, int x, int y, int width, int height, Colour colour) {
    SetSource(cr, colour);
    cairo_rectangle(cr, x, y, width, height);
    cairo_fill(cr);
}

// The caption on one line: line breaks are not drawn.
std::string OneLine(const std::string& caption) {
    std::string line;
    line.reserve(caption.size());
    for (char c : caption) {
        if (c != '\r' && c != '\n') {
            line.push_back(c);
        }
    }
    return line;
}

// The caption centred in the rectangle, the effect's pass first.
void DrawCaption(cairo_t* cr, GtkWidget* widget, const LabelLook& look, int x, int y, int width, int height) {
    const std::string text = OneLine(look.caption);
    if (text.empty()) {
        return;
    }
    PangoLayout* layout = gtk_widget_create_pango_layout(widget, text.c_str());
    if (look.font) {
        pango_layout_set_font_description(layout, look.font.get());
    }
    int text_width = 0;
    int text_height = 0;
    pango_layout_get_pixel_size(layout, &text_width, &text_height);
    const int left = x + (width - text_width) / 2;
    const int top = y + (height - text_height) / 2;
    cairo_save(cr);
    cairo_rectangle(cr, x, y, width, height);
    cairo_clip(cr);
    if (const auto pass = look::UnderPass(look.effect)) {
        SetSource(cr, pass->colour);
        cairo_move_to(cr, left + pass->dx, top + pass->dy);
        pango_cairo_show_layout(cr, layout);
    }
    SetSource(cr, look.text_colour);
    cairo_move_to(cr, left, top);
    pango_cairo_show_layout(cr, layout);
    cairo_restore(cr);
    g_object_unref(layout);
}

// A sunken three-dimensional edge of two pixels, as the system draws it.
void DrawSunkenEdge(cairo_t* cr, int width, int height) {
    const Colour outer_dark = Rgb(160, 160, 160);
    const Colour outer_light = Rgb(255, 255, 255);
    const Colour inner_dark = Rgb(105, 105, 105);
    const Colour inner_light = Rgb(227, 227, 227);
    FillRect(cr, 0, 0, width, 1, outer_dark);
    FillRect(cr, 0, 0, 1, height, outer_dark);
    FillRect(cr, 0, height - 1, width, 1, outer_light);
    FillRect(cr, width - 1, 0, 1, height, outer_light);
    FillRect(cr, 1, 1, width - 2, 1, inner_dark);
    FillRect(cr, 1, 1, 1, height - 2, inner_dark);
    FillRect(cr, 1, height - 2, width - 2, 1, inner_light);
    FillRect(cr, width - 2, 1, 1, height - 2, inner_light);
}

gboolean DrawTitleLabel(GtkWidget* widget, cairo_t* cr, gpointer data) {
    const auto* look = static_cast<const LabelLook*>(data);
    const int width = gtk_widget_get_allocated_width(widget);
    const int height = gtk_widget_get_allocated_height(widget);
    const int edge = look->sunken_edge ? look::kSunkenEdgeWidth : 0;
    const int client_width = width - 2 * edge;
    const int client_height = height - 2 * edge;
    if (look->title_gradient) {
        for (int row = 0; row < client_height; ++row) {
            FillRect(cr, edge, edge + row, client_width, 1, look::GradientRow(row, client_height));
        }
    }
    if (look->sunken_edge) {
        DrawSunkenEdge(cr, width, height);
    }
    DrawCaption(cr, widget, *look, edge, edge, client_width, client_height);
    return FALSE;
}

gboolean DrawTransparentLabel(GtkWidget* widget, cairo_t* cr, gpointer data) {
    const auto* look = static_cast<const LabelLook*>(data);
    DrawCaption(cr, widget, *look, 0, 0, gtk_widget_get_allocated_width(widget),
                gtk_widget_get_allocated_height(widget));
    return FALSE;
}

gboolean DrawPicture(GtkWidget* widget, cairo_t* cr, gpointer data) {
    const int width = gtk_widget_get_allocated_width(widget);
    const int height = gtk_widget_get_allocated_height(widget);
    cairo_rectangle(cr, 0, 0, width, height);
    cairo_clip(cr);
    FillRect(cr, 0, 0, width, height, kButtonFace);
    gdk_cairo_set_source_pixbuf(cr, static_cast<GdkPixbuf*>(data), 0, 0);
    cairo_paint(cr);
    return FALSE;
}

// The input window a widget without a window of its own keeps for its events.
GdkWindow* InputWindowOf(GtkWidget* widget) {
    GdkWindow* parent = gtk_widget_get_parent_window(widget);
    if (parent == nullptr) {
        return nullptr;
    }
    for (GList* child = gdk_window_peek_children(parent); child != nullptr; child = child->next) {
        auto* window = static_cast<GdkWindow*>(child->data);
        gpointer owner = nullptr;
        gdk_window_get_user_data(window, &owner);
        if (owner == widget) {
            return window;
        }
    }
    return nullptr;
}

void SetHandPointer(GtkWidget* widget, gpointer) {
    if (GdkWindow* input = InputWindowOf(widget)) {
        GdkCursor* hand = gdk_cursor_new_from_name(gtk_widget_get_display(widget), "pointer");
        gdk_window_set_cursor(input, hand);
        if (hand != nullptr) {
            g_object_unref(hand);
        }
    }
}

struct PressAction {
    std::function<void()> action;
};

gboolean OnLabelPress(GtkWidget*, GdkEventButton* event, gpointer data) {
    if (event->type == GDK_BUTTON_PRESS && event->button == 1) {
        static_cast<PressAction*>(data)->action();
    }
    // Handled here: a press on a transparent label never moves the window.
    return TRUE;
}

}  // namespace

FontDescription FontDescriptionFor(const LogicalFont& font, const CodePage& code_page) {
    FontDescription description(pango_font_description_new());
    const std::string face = DecodeToUtf8(font.face, code_page);
    if (!face.empty()) {
        pango_font_description_set_family(description.get(), face.c_str());
    } else {
        pango_font_description_set_family(description.get(), "Sans");
    }
    // The character height is the em height in pixels.
    const int pixels = std::abs(font.height);
    pango_font_description_set_absolute_size(description.get(), (pixels > 0 ? pixels : 12) * PANGO_SCALE);
    if (font.weight > 0) {
        pango_font_description_set_weight(description.get(),
                                          static_cast<PangoWeight>(std::clamp(font.weight, 100, 1000)));
    }
    pango_font_description_set_style(description.get(), font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    return description;
}

GdkRGBA RgbaOf(Colour colour) {
    return GdkRGBA{RedOf(colour) / 255.0, GreenOf(colour) / 255.0, BlueOf(colour) / 255.0, 1.0};
}

Colour ColourOf(const GdkRGBA& rgba) {
    auto channel = [](double value) {
        return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255.0));
    };
    return Rgb(channel(rgba.red), channel(rgba.green), channel(rgba.blue));
}

std::string CssColour(Colour colour) {
    char text[32];
    std::snprintf(text, sizeof text, "rgb(%u,%u,%u)", unsigned{RedOf(colour)}, unsigned{GreenOf(colour)},
                  unsigned{BlueOf(colour)});
    return text;
}

GtkWidget* NewTitleLabel(LabelLook* look) {
    GtkWidget* area = gtk_drawing_area_new();
    gtk_widget_set_has_window(area, FALSE);
    g_signal_connect(area, "draw", G_CALLBACK(DrawTitleLabel), look);
    return area;
}

GtkWidget* NewTransparentLabel(LabelLook* look, bool hand_pointer, std::function<void()> on_press) {
    GtkWidget* box = gtk_event_box_new();
    gtk_event_box_set_visible_window(GTK_EVENT_BOX(box), FALSE);
    gtk_widget_add_events(box, GDK_BUTTON_PRESS_MASK);
    g_signal_connect(box, "draw", G_CALLBACK(DrawTransparentLabel), look);
    auto* press = new PressAction{std::move(on_press)};
    g_signal_connect_data(
        box, "button-press-event", G_CALLBACK(OnLabelPress), press,
        [](gpointer data, GClosure*) { delete static_cast<PressAction*>(data); }, GConnectFlags{});
    if (hand_pointer) {
        g_signal_connect_after(box, "realize", G_CALLBACK(SetHandPointer), nullptr);
        g_signal_connect_after(box, "map", G_CALLBACK(SetHandPointer), nullptr);
    }
    return box;
}

GtkWidget* NewPictureBox(GdkPixbuf* picture) {
    GtkWidget* area = gtk_drawing_area_new();
    gtk_widget_set_has_window(area, FALSE);
    g_signal_connect(area, "draw", G_CALLBACK(DrawPicture), picture);
    return area;
}

// ---- The colour picker --------------------------------------------------------

ColourPicker::ColourPicker(Colour initial, std::function<void()> on_chosen, std::function<bool()> may_open)
    : colour_(initial), on_chosen_(std::move(on_chosen)), may_open_(std::move(may_open)) {
    button_ = gtk_button_new();
    gtk_style_context_add_class(gtk_widget_get_style_context(button_), "landuo-picker");
    g_signal_connect_after(button_, "draw", G_CALLBACK(OnDrawSwatch), this);
    g_signal_connect(button_, "clicked", G_CALLBACK(OnClicked), this);
}

ColourPicker::~ColourPicker() {
    *alive_ = false;
    if (popup_ != nullptr) {
        gtk_widget_destroy(popup_);
    }
}

void ColourPicker::SetCurrent(Colour colour) {
    colour_ = colour;
    gtk_widget_queue_draw(button_);
}

gboolean ColourPicker::OnDrawSwatch(GtkWidget* widget, cairo_t* cr, gpointer data) {
    const auto* self = static_cast<ColourPicker*>(data);
    const int width = gtk_widget_get_allocated_width(widget);
    const int height = gtk_widget_get_allocated_height(widget);
    // The swatch, then the drop-down arrow at the right.
    const int arrow_width = 12;
    FillRect(cr, 3, 3, width - 6 - arrow_width, height - 6, Rgb(64, 64, 64));
    FillRect(cr, 4, 4, width - 8 - arrow_width, height - 8, self->colour_);
    SetSource(cr, Rgb(0, 0, 0));
    const double cx = width - 3 - arrow_width / 2.0;
    const double cy = height / 2.0;
    cairo_move_to(cr, cx - 4, cy - 2);
    cairo_line_to(cr, cx + 4, cy - 2);
    cairo_line_to(cr, cx, cy + 2);
    cairo_close_path(cr);
    cairo_fill(cr);
    return FALSE;
}

void ColourPicker::OnClicked(GtkButton*, gpointer data) {
    auto* self = static_cast<ColourPicker*>(data);
    if (self->popup_ == nullptr && (!self->may_open_ || self->may_open_())) {
        self->OpenPalette();
    }
}

gboolean ColourPicker::OnDrawEntry(GtkWidget* widget, cairo_t* cr, gpointer data) {
    const auto* self = static_cast<ColourPicker*>(data);
    const auto colour = static_cast<Colour>(GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(widget), "landuo-colour")));
    const int width = gtk_widget_get_allocated_width(widget);
    const int height = gtk_widget_get_allocated_height(widget);
    if (colour == self->colour_) {
        // The current colour is marked by a black and white frame.
        FillRect(cr, 0, 0, width, height, Rgb(0, 0, 0));
        FillRect(cr, 1, 1, width - 2, height - 2, Rgb(255, 255, 255));
    }
    FillRect(cr, 2, 2, width - 4, height - 4, Rgb(128, 128, 128));
    FillRect(cr, 3, 3, width - 6, height - 6, colour);
    return TRUE;
}

void ColourPicker::OpenPalette() {
    popup_ = gtk_window_new(GTK_WINDOW_POPUP);
    GtkWidget* toplevel = gtk_widget_get_toplevel(button_);
    if (GTK_IS_WINDOW(toplevel)) {
        gtk_window_set_transient_for(GTK_WINDOW(popup_), GTK_WINDOW(toplevel));
    }
    GtkWidget* frame = gtk_frame_new(nullptr);
    gtk_frame_set_shadow_type(GTK_FRAME(frame), GTK_SHADOW_OUT);
    GtkWidget* grid = gtk_grid_new();
    gtk_container_set_border_width(GTK_CONTAINER(grid), 3);
    gtk_grid_set_row_spacing(GTK_GRID(grid), 1);
    gtk_grid_set_column_spacing(GTK_GRID(grid), 1);
    for (std::size_t i = 0; i < look::kPalette.size(); ++i) {
        const look::NamedColour& entry = look::kPalette[i];
        GtkWidget* swatch = gtk_button_new();
        gtk_widget_set_size_request(swatch, 20, 20);
        gtk_style_context_add_class(gtk_widget_get_style_context(swatch), "landuo-swatch");
        const std::string name(entry.name);
        gtk_widget_set_tooltip_text(swatch, name.c_str());
        atk_object_set_name(gtk_widget_get_accessible(swatch), name.c_str());
        g_object_set_data(G_OBJECT(swatch), "landuo-colour", GUINT_TO_POINTER(entry.colour));
        g_signal_connect(swatch, "draw", G_CALLBACK(OnDrawEntry), this);
        g_signal_connect(swatch, "clicked", G_CALLBACK(OnPaletteEntry), this);
        gtk_grid_attach(GTK_GRID(grid), swatch, static_cast<int>(i % look::kPaletteColumns),
                        static_cast<int>(i / look::kPaletteColumns), 1, 1);
    }
    const std::string more(look::kMoreColours);
    GtkWidget* more_button = gtk_button_new_with_label(more.c_str());
    g_signal_connect(more_button, "clicked", G_CALLBACK(OnMoreColours), this);
    const int rows = static_cast<int>((look::kPalette.size() + look::kPaletteColumns - 1) / look::kPaletteColumns);
    gtk_grid_attach(GTK_GRID(grid), more_button, 0, rows, look::kPaletteColumns, 1);
    gtk_container_add(GTK_CONTAINER(frame), grid);
    gtk_container_add(GTK_CONTAINER(popup_), frame);

    // Just under the swatch, its left edges lined up.
    int origin_x = 0;
    int origin_y = 0;
    gdk_window_get_origin(gtk_widget_get_window(button_), &origin_x, &origin_y);
    GtkAllocation allocation;
    gtk_widget_get_allocation(button_, &allocation);
    int x = origin_x + allocation.x;
    int y = origin_y + allocation.y + allocation.height;
    gtk_widget_show_all(popup_);
    int popup_width = 0;
    int popup_height = 0;
    gtk_window_get_size(GTK_WINDOW(popup_), &popup_width, &popup_height);
    GdkRectangle work{0, 0, 0, 0};
    if (GdkMonitor* monitor = gdk_display_get_monitor_at_window(gtk_widget_get_display(button_),
                                                                gtk_widget_get_window(button_))) {
        gdk_monitor_get_geometry(monitor, &work);
        // Above the swatch where there is no room below it.
        if (y + popup_height > work.y + work.height) {
            y = origin_y + allocation.y - popup_height;
        }
        x = std::min(x, work.x + work.width - popup_width);
    }
    gtk_window_move(GTK_WINDOW(popup_), x, y);

    gtk_widget_add_events(popup_, GDK_BUTTON_PRESS_MASK | GDK_KEY_PRESS_MASK);
    g_signal_connect(popup_, "key-press-event", G_CALLBACK(OnPopupKey), this);
    g_signal_connect(popup_, "button-press-event", G_CALLBACK(OnPopupPress), this);
    GdkSeat* seat = gdk_display_get_default_seat(gtk_widget_get_display(popup_));
    gdk_seat_grab(seat, gtk_widget_get_window(popup_), GDK_SEAT_CAPABILITY_ALL, TRUE, nullptr, nullptr, nullptr,
                  nullptr);
    gtk_grab_add(popup_);
}

void ColourPicker::ClosePalette() {
    if (popup_ == nullptr) {
        return;
    }
    GtkWidget* popup = std::exchange(popup_, nullptr);
    gtk_grab_remove(popup);
    gdk_seat_ungrab(gdk_display_get_default_seat(gtk_widget_get_display(popup)));
    gtk_widget_destroy(popup);
}

gboolean ColourPicker::OnPopupKey(GtkWidget*, GdkEventKey* event, gpointer data) {
    if (event->keyval == GDK_KEY_Escape) {
        static_cast<ColourPicker*>(data)->ClosePalette();
        return TRUE;
    }
    return FALSE;
}

gboolean ColourPicker::OnPopupPress(GtkWidget* widget, GdkEventButton* event, gpointer data) {
    auto* self = static_cast<ColourPicker*>(data);
    int x = 0;
    int y = 0;
    gtk_window_get_position(GTK_WINDOW(widget), &x, &y);
    const int width = gtk_widget_get_allocated_width(widget);
    const int height = gtk_widget_get_allocated_height(widget);
    const bool inside = event->x_root >= x && event->x_root < x + width && event->y_root >= y &&
                        event->y_root < y + height;
    if (!inside) {
        self->ClosePalette();
        return TRUE;
    }
    return FALSE;
}

void ColourPicker::OnPaletteEntry(GtkButton* button, gpointer data) {
    const auto colour = static_cast<Colour>(GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(button), "landuo-colour")));
    static_cast<ColourPicker*>(data)->Choose(colour);
}

void ColourPicker::OnMoreColours(GtkButton*, gpointer data) {
    auto* self = static_cast<ColourPicker*>(data);
    self->ClosePalette();
    const std::shared_ptr<bool> alive = self->alive_;
    GtkWidget* toplevel = gtk_widget_get_toplevel(self->button_);
    GtkWidget* dialog =
        gtk_color_chooser_dialog_new("颜色", GTK_IS_WINDOW(toplevel) ? GTK_WINDOW(toplevel) : nullptr);
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    const GdkRGBA initial = RgbaOf(self->colour_);
    gtk_color_chooser_set_use_alpha(GTK_COLOR_CHOOSER(dialog), FALSE);
    gtk_color_chooser_set_rgba(GTK_COLOR_CHOOSER(dialog), &initial);
    const int response = gtk_dialog_run(GTK_DIALOG(dialog));
    if (!*alive) {
        if (response != GTK_RESPONSE_NONE) {
            gtk_widget_destroy(dialog);
        }
        return;
    }
    GdkRGBA chosen;
    gtk_color_chooser_get_rgba(GTK_COLOR_CHOOSER(dialog), &chosen);
    gtk_widget_destroy(dialog);
    if (response == GTK_RESPONSE_OK) {
        self->Choose(ColourOf(chosen));
    }
}

void ColourPicker::Choose(Colour colour) {
    ClosePalette();
    SetCurrent(colour);
    if (on_chosen_) {
        on_chosen_();
    }
}

}  // namespace landuo::ui::gtk
