// The units GTK has no widget for, drawn with the shared look maths: the
// title label with its gradient and sunken edge, the transparent labels, the
// picture box and the colour picker with its drop-down palette.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <string>

#include "ui/font.h"
#include "ui/text_codec.h"
#include "ui/units.h"

namespace landuo::ui::gtk {

struct FontDescriptionFree {
    void operator()(PangoFontDescription* font) const { pango_font_description_free(font); }
};
using FontDescription = std::unique_ptr<PangoFontDescription, FontDescriptionFree>;

// A font as Pango draws it: the face, the character height in pixels, weight
// and italic. Underline and strike-out are not part of it.
FontDescription FontDescriptionFor(const LogicalFont& font, const CodePage& code_page);

GdkRGBA RgbaOf(Colour colour);
Colour ColourOf(const GdkRGBA& rgba);
// "rgb(r,g,b)" for a style sheet.
std::string CssColour(Colour colour);

// What a label unit draws. The caption is UTF-8; line breaks in it are not
// drawn (the caption stands on one line).
struct LabelLook {
    std::string caption;
    Colour text_colour = 0;
    TextEffect effect = TextEffect::None;
    FontDescription font;  // none: the default interface font
    bool title_gradient = false;
    bool sunken_edge = false;
};

// The title label: no window of its own, so a press on it reaches the main
// window, which starts a drag.
GtkWidget* NewTitleLabel(LabelLook* look);
// A label that paints no background. It has an input window of its own, with
// the hand pointer if asked for; `on_press` runs on a left button press.
GtkWidget* NewTransparentLabel(LabelLook* look, bool hand_pointer, std::function<void()> on_press);
// The picture at natural size from its top-left corner, cut at the box's edge;
// the button-face colour where it does not reach. No window of its own.
GtkWidget* NewPictureBox(GdkPixbuf* picture);

// A swatch button that drops down the 32-colour palette. A confirmed colour
// (also the current one) is stored, then `on_chosen` runs; Esc or a press
// outside the palette closes it with nothing chosen.
class ColourPicker {
public:
    ColourPicker(Colour initial, std::function<void()> on_chosen, std::function<bool()> may_open);
    ~ColourPicker();
    ColourPicker(const ColourPicker&) = delete;
    ColourPicker& operator=(const ColourPicker&) = delete;

    GtkWidget* Widget() const { return button_; }
    Colour Current() const { return colour_; }
    void SetCurrent(Colour colour);

private:
    static gboolean OnDrawSwatch(GtkWidget* widget, cairo_t* cr, gpointer self);
    static void OnClicked(GtkButton* button, gpointer self);
    static gboolean OnPopupKey(GtkWidget* widget, GdkEventKey* event, gpointer self);
    static gboolean OnPopupPress(GtkWidget* widget, GdkEventButton* event, gpointer self);
    static void OnPaletteEntry(GtkButton* button, gpointer self);
    static void OnMoreColours(GtkButton* button, gpointer self);
    static gboolean OnDrawEntry(GtkWidget* widget, cairo_t* cr, gpointer self);
    void OpenPalette();
    void ClosePalette();
    void Choose(Colour colour);

    GtkWidget* button_ = nullptr;
    GtkWidget* popup_ = nullptr;
    Colour colour_ = 0;
    std::function<void()> on_chosen_;
    std::function<bool()> may_open_;
    // Cleared when the picker goes, so the colour dialog's nested loop can
    // tell that the window closed under it.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace landuo::ui::gtk
