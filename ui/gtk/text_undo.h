// Undo and redo for a GtkTextBuffer, which has neither. Typing is recorded
// as insertions and deletions by character offset; runs of typed characters
// and of Backspace or Delete presses undo as one step.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <vector>

namespace landuo::ui::gtk {

class TextUndo {
public:
    explicit TextUndo(GtkTextBuffer* buffer);
    ~TextUndo();
    TextUndo(const TextUndo&) = delete;
    TextUndo& operator=(const TextUndo&) = delete;

    bool Undo();
    bool Redo();
    void Clear();
    // Ends the current run, so the next edit starts a step of its own.
    void Break() { mergeable_ = false; }

    // While one lives, changes are not recorded (the program's own SetText).
    class Pause {
    public:
        explicit Pause(TextUndo& undo) : undo_(undo) { ++undo_.paused_; }
        ~Pause() { --undo_.paused_; }
        Pause(const Pause&) = delete;
        Pause& operator=(const Pause&) = delete;

    private:
        TextUndo& undo_;
    };

private:
    struct Edit {
        bool insertion = true;
        int offset = 0;  // characters
        std::string text;  // UTF-8
        int Length() const { return static_cast<int>(g_utf8_strlen(text.data(), static_cast<gssize>(text.size()))); }
    };

    static void OnInsert(GtkTextBuffer* buffer, GtkTextIter* where, gchar* text, gint length, gpointer self);
    static void OnDelete(GtkTextBuffer* buffer, GtkTextIter* start, GtkTextIter* end, gpointer self);
    void Record(Edit edit);
    void Apply(const Edit& edit, bool inverse);

    GtkTextBuffer* buffer_;
    gulong insert_handler_ = 0;
    gulong delete_handler_ = 0;
    std::vector<Edit> done_;
    std::vector<Edit> undone_;
    int paused_ = 0;
    bool mergeable_ = false;
};

}  // namespace landuo::ui::gtk
