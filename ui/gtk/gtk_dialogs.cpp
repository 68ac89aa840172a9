#include "ui/gtk/gtk_dialogs.h"

#include <fnmatch.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <system_error>

#include "ui/gtk/gtk_widgets.h"

namespace landuo::ui::gtk {

namespace {

// GTK sizes its file chooser for a large screen: keep it on the screen, centred.
void FitOnScreen(GtkWidget* dialog, gpointer) {
    GdkRectangle screen{0, 0, 1024, 768};
    if (GdkMonitor* monitor =
            gdk_display_get_monitor_at_window(gtk_widget_get_display(dialog), gtk_widget_get_window(dialog))) {
        gdk_monitor_get_geometry(monitor, &screen);
    }
    const int width = std::min(760, screen.width - 40);
    const int height = std::min(520, screen.height - 40);
    gtk_window_resize(GTK_WINDOW(dialog), width, height);
    gtk_window_move(GTK_WINDOW(dialog), screen.x + (screen.width - width) / 2,
                    screen.y + (screen.height - height) / 2);
}

// "*.txt" matches "a.TXT" too, as the file systems the pattern comes from do.
gboolean MatchesPattern(const GtkFileFilterInfo* info, gpointer pattern) {
    const char* name = info->display_name != nullptr ? info->display_name : info->filename;
    if (name == nullptr) {
        return FALSE;
    }
    const char* slash = std::strrchr(name, '/');
    return fnmatch(static_cast<const char*>(pattern), slash != nullptr ? slash + 1 : name, FNM_CASEFOLD) == 0;
}

bool HasExtension(const std::filesystem::path& path) {
    const std::string name = path.filename().string();
    const std::size_t dot = name.rfind('.');
    return dot != std::string::npos && dot > 0 && dot + 1 < name.size();
}

bool Exists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

bool AskToReplace(GtkWindow* parent, const std::filesystem::path& path) {
    const std::string name = SanitiseUtf8(path.filename().string());
    GtkWidget* question = gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, GTK_MESSAGE_QUESTION, GTK_BUTTONS_NONE,
                                                 "“%s”已经存在。\n要替换它吗？", name.c_str());
    gtk_dialog_add_buttons(GTK_DIALOG(question), "取消(_C)", GTK_RESPONSE_CANCEL, "替换(_R)", GTK_RESPONSE_ACCEPT,
                           nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(question), GTK_RESPONSE_ACCEPT);
    const int answer = gtk_dialog_run(GTK_DIALOG(question));
    gtk_widget_destroy(question);
    return answer == GTK_RESPONSE_ACCEPT;
}

std::string Utf8Of(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

std::optional<std::filesystem::path> RunFileDialog(GtkWindow* parent, const FileDialogRequest& request) {
    const bool saving = request.kind == DialogKind::SaveFile;
    const std::string title(request.title);
    GtkWidget* dialog = gtk_file_chooser_dialog_new(
        title.c_str(), parent, saving ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN, "取消(_C)",
        GTK_RESPONSE_CANCEL, saving ? "保存(_S)" : "打开(_O)", GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    gtk_file_chooser_set_local_only(chooser, TRUE);
    gtk_file_chooser_set_do_overwrite_confirmation(chooser, saving && request.overwrite_prompt);
    g_signal_connect(dialog, "map", G_CALLBACK(FitOnScreen), nullptr);

    std::string pattern(request.filter_pattern);
    if (!pattern.empty()) {
        GtkFileFilter* filter = gtk_file_filter_new();
        gtk_file_filter_set_name(filter, std::string(request.filter_name).c_str());
        gtk_file_filter_add_custom(filter, GTK_FILE_FILTER_DISPLAY_NAME, MatchesPattern, pattern.data(), nullptr);
        gtk_file_chooser_add_filter(chooser, filter);
        gtk_file_chooser_set_filter(chooser, filter);
    }
    if (gchar* folder = g_get_current_dir()) {
        gtk_file_chooser_set_current_folder(chooser, folder);
        g_free(folder);
    }
    if (!request.file_name.empty()) {
        if (saving) {
            gtk_file_chooser_set_current_name(chooser, Utf8Of(request.file_name.filename()).c_str());
        } else {
            gtk_file_chooser_set_filename(chooser, request.file_name.c_str());
        }
    }

    std::optional<std::filesystem::path> chosen;
    while (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
        gchar* name = gtk_file_chooser_get_filename(chooser);
        if (name == nullptr) {
            break;
        }
        std::filesystem::path path(name);
        g_free(name);
        if (!request.default_extension.empty() && !HasExtension(path) && (saving || !Exists(path))) {
            // GTK asked about the name as typed, not about the one with the
            // extension added: ask about that here.
            std::string extension(".");
            extension += request.default_extension;
            path += extension;
            if (saving && request.overwrite_prompt && Exists(path) && !AskToReplace(GTK_WINDOW(dialog), path)) {
                continue;
            }
        }
        if (!saving && request.file_must_exist && !Exists(path)) {
            continue;
        }
        chosen = std::move(path);
        break;
    }
    gtk_widget_destroy(dialog);
    return chosen;
}

std::optional<FontDialogResult> RunFontDialog(GtkWindow* parent, const FontDialogRequest& request,
                                              const CodePage& code_page, int dpi) {
    GtkWidget* dialog = gtk_dialog_new_with_buttons("字体", parent, GTK_DIALOG_MODAL, "取消(_C)", GTK_RESPONSE_CANCEL,
                                                    "确定(_O)", GTK_RESPONSE_OK, nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
    GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
    GtkWidget* chooser = gtk_font_chooser_widget_new();
    gtk_box_pack_start(GTK_BOX(content), chooser, TRUE, TRUE, 0);

    FontDescription start(pango_font_description_new());
    const std::string face = DecodeToUtf8(request.initial.face, code_page);
    pango_font_description_set_family(start.get(), face.empty() ? "Sans" : face.c_str());
    const int points = request.initial.height != 0 ? PointsForHeight(request.initial.height, dpi) : 10;
    pango_font_description_set_size(start.get(), points * PANGO_SCALE);
    if (request.initial.weight >= kWeightBold) {
        pango_font_description_set_weight(start.get(), PANGO_WEIGHT_BOLD);
    }
    if (request.initial.italic) {
        pango_font_description_set_style(start.get(), PANGO_STYLE_ITALIC);
    }
    gtk_font_chooser_set_font_desc(GTK_FONT_CHOOSER(chooser), start.get());

    GtkWidget* effects = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
    gtk_container_set_border_width(GTK_CONTAINER(effects), 6);
    GtkWidget* strike = gtk_check_button_new_with_mnemonic("删除线(_K)");
    GtkWidget* underline = gtk_check_button_new_with_mnemonic("下划线(_U)");
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(strike), request.initial.strike_out);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(underline), request.initial.underline);
    GtkWidget* colour_label = gtk_label_new("颜色：");
    const GdkRGBA initial_colour = RgbaOf(request.colour);
    GtkWidget* colour = gtk_color_button_new_with_rgba(&initial_colour);
    gtk_color_button_set_title(GTK_COLOR_BUTTON(colour), "颜色");
    atk_object_set_name(gtk_widget_get_accessible(colour), "颜色");
    gtk_box_pack_start(GTK_BOX(effects), strike, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(effects), underline, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(effects), colour_label, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(effects), colour, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(content), effects, FALSE, FALSE, 0);
    gtk_widget_show_all(content);
    if (!request.effects) {
        gtk_widget_hide(effects);
    }
    g_signal_connect(dialog, "map", G_CALLBACK(FitOnScreen), nullptr);

    std::optional<FontDialogResult> result;
    if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_OK) {
        if (PangoFontDescription* chosen = gtk_font_chooser_get_font_desc(GTK_FONT_CHOOSER(chooser))) {
            const double size = pango_font_description_get_size(chosen) / static_cast<double>(PANGO_SCALE);
            // An absolute size is in pixels already; the usual one is in points.
            const int height = pango_font_description_get_size_is_absolute(chosen)
                                   ? -static_cast<int>(std::lround(size))
                                   : HeightForPoints(static_cast<int>(std::lround(size)), dpi);
            const char* family = pango_font_description_get_family(chosen);
            GdkRGBA rgba;
            gtk_color_chooser_get_rgba(GTK_COLOR_CHOOSER(colour), &rgba);
            result = FontDialogResult{
                .chosen = LogicalFont{.height = height,
                                      .weight = static_cast<int>(pango_font_description_get_weight(chosen)),
                                      .italic = pango_font_description_get_style(chosen) != PANGO_STYLE_NORMAL,
                                      .underline = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(underline)) != 0,
                                      .strike_out = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(strike)) != 0,
                                      .face = EncodeFromUtf8(family != nullptr ? family : "", code_page).bytes},
                .colour = ColourOf(rgba),
            };
            pango_font_description_free(chosen);
        }
    }
    gtk_widget_destroy(dialog);
    return result;
}

void RunMessage(GtkWindow* parent, std::string_view text_utf8, GtkMessageType type) {
    const std::string text(text_utf8);
    GtkWidget* box = gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, type, GTK_BUTTONS_NONE, "%s", text.c_str());
    gtk_dialog_add_button(GTK_DIALOG(box), "确定(_O)", GTK_RESPONSE_OK);
    gtk_window_set_title(GTK_WINDOW(box), type == GTK_MESSAGE_ERROR ? "错误" : "澜朵记事本");
    gtk_dialog_run(GTK_DIALOG(box));
    gtk_widget_destroy(box);
}

}  // namespace landuo::ui::gtk
