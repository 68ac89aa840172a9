#include "ui/gtk/text_undo.h"

#include <utility>

namespace landuo::ui::gtk {

namespace {

// A run of typing ends at a line break or a blank, as notepads do.
bool EndsRun(const std::string& text) {
    return text.size() != 1 || text == " " || text == "\n" || text == "\r" || text == "\t";
}

}  // namespace

TextUndo::TextUndo(GtkTextBuffer* buffer) : buffer_(buffer) {
    g_object_ref(buffer_);
    insert_handler_ = g_signal_connect(buffer_, "insert-text", G_CALLBACK(OnInsert), this);
    delete_handler_ = g_signal_connect(buffer_, "delete-range", G_CALLBACK(OnDelete), this);
}

TextUndo::~TextUndo() {
    g_signal_handler_disconnect(buffer_, insert_handler_);
    g_signal_handler_disconnect(buffer_, delete_handler_);
    g_object_unref(buffer_);
}

void TextUndo::Clear() {
    done_.clear();
    undone_.clear();
    mergeable_ = false;
}

void TextUndo::OnInsert(GtkTextBuffer*, GtkTextIter* where, gchar* text, gint length, gpointer data) {
    auto* self = static_cast<TextUndo*>(data);
    if (self->paused_ > 0) {
        return;
    }
    self->Record(Edit{.insertion = true,
                      .offset = gtk_text_iter_get_offset(where),
                      .text = std::string(text, length < 0 ? std::char_traits<char>::length(text)
                                                           : static_cast<std::size_t>(length))});
}

void TextUndo::OnDelete(GtkTextBuffer* buffer, GtkTextIter* start, GtkTextIter* end, gpointer data) {
    auto* self = static_cast<TextUndo*>(data);
    if (self->paused_ > 0) {
        return;
    }
    gchar* text = gtk_text_buffer_get_text(buffer, start, end, TRUE);
    self->Record(Edit{.insertion = false, .offset = gtk_text_iter_get_offset(start), .text = text});
    g_free(text);
}

void TextUndo::Record(Edit edit) {
    undone_.clear();
    if (mergeable_ && !done_.empty() && !EndsRun(edit.text)) {
        Edit& last = done_.back();
        if (edit.insertion && last.insertion && edit.offset == last.offset + last.Length()) {
            last.text += edit.text;
            return;
        }
        if (!edit.insertion && !last.insertion) {
            if (edit.offset + edit.Length() == last.offset) {  // Backspace
                last.text.insert(0, edit.text);
                last.offset = edit.offset;
                return;
            }
            if (edit.offset == last.offset) {  // Delete
                last.text += edit.text;
                return;
            }
        }
    }
    mergeable_ = !EndsRun(edit.text);
    done_.push_back(std::move(edit));
}

void TextUndo::Apply(const Edit& edit, bool inverse) {
    const Pause pause(*this);
    GtkTextIter start;
    gtk_text_buffer_get_iter_at_offset(buffer_, &start, edit.offset);
    const bool insert = edit.insertion != inverse;
    if (insert) {
        gtk_text_buffer_insert(buffer_, &start, edit.text.data(), static_cast<gint>(edit.text.size()));
        GtkTextIter after;
        gtk_text_buffer_get_iter_at_offset(buffer_, &after, edit.offset + edit.Length());
        gtk_text_buffer_place_cursor(buffer_, &after);
    } else {
        GtkTextIter end;
        gtk_text_buffer_get_iter_at_offset(buffer_, &end, edit.offset + edit.Length());
        gtk_text_buffer_delete(buffer_, &start, &end);
        gtk_text_buffer_place_cursor(buffer_, &start);
    }
}

bool TextUndo::Undo() {
    if (done_.empty()) {
        return false;
    }
    Edit edit = std::move(done_.back());
    done_.pop_back();
    Apply(edit, true);
    undone_.push_back(std::move(edit));
    mergeable_ = false;
    return true;
}

bool TextUndo::Redo() {
    if (undone_.empty()) {
        return false;
    }
    Edit edit = std::move(undone_.back());
    undone_.pop_back();
    Apply(edit, false);
    done_.push_back(std::move(edit));
    mergeable_ = false;
    return true;
}

}  // namespace landuo::ui::gtk
