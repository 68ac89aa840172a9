"""Working GTK's file dialogs as a user does: a full path typed, Return."""

import time

from common import BUTTON, OPEN_TITLE, SAVE_TITLE, centre
from harness import Failure


def _confirm(s, dialog, on_question=None):
    """Return in the dialog until it goes; a question window on the way is
    answered with the key `on_question` (or is an error if None)."""
    s.key(dialog, "Return")
    deadline = time.time() + 8
    answered = False
    next_return = time.time() + 1.5
    while time.time() < deadline:
        windows = s.visible_windows()
        if dialog not in windows:
            return
        questions = question_shown(s, dialog)
        if questions and not answered:
            if on_question is None:
                raise Failure("the dialog asked a question")
            s.key(questions[-1], on_question)
            answered = True
            next_return = time.time() + 1.5
        elif time.time() > next_return and not questions:
            # The first Return may only have closed the completion pop-up.
            s.key(dialog, "Return")
            next_return = time.time() + 1.5
        time.sleep(0.05)
    raise Failure("the dialog did not close")


def open_file(s, main, path):
    s.click(main, *centre(BUTTON[1]))
    dialog = s.dialog(OPEN_TITLE)
    s.key(dialog, "ctrl+l")
    s.type(dialog, path)
    _confirm(s, dialog)


def save_file(s, main, path, on_question=None):
    s.click(main, *centre(BUTTON[2]))
    dialog = s.dialog(SAVE_TITLE)
    s.key(dialog, "ctrl+a")
    s.type(dialog, path)
    _confirm(s, dialog, on_question)


def question_shown(s, dialog):
    """The dialog windows shown besides `dialog` (pop-ups are not dialogs)."""
    found = []
    for window in s.visible_windows():
        if window == dialog:
            continue
        kind = s.run(["xprop", "-id", str(window), "_NET_WM_WINDOW_TYPE"])
        if "_NET_WM_WINDOW_TYPE_DIALOG" in kind:
            found.append(window)
    return found
