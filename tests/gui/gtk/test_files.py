"""Opening and saving through the real dialogs: the bytes that reach the disk."""

import os
import shutil
import subprocess
import time

from common import *  # noqa: F401,F403
from dialogs import open_file, question_shown, save_file
from harness import Session, check, install_signal_cleanup, run_tests

ARGS = arguments()


def session(**kwargs):
    return Session(ARGS.binary, wm=ARGS.wm, **kwargs)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def saved(s, path, expected):
    """Waits until the file holds `expected`; gives what it holds."""
    try:
        s.wait_for(lambda: os.path.exists(path) and read(path) == expected, 3, path)
    except Exception:
        pass
    return read(path) if os.path.exists(path) else None


def test_banner_and_default_extension():
    with session() as s:
        main = s.launch()
        target = os.path.join(s.tmp, "banner")
        save_file(s, main, target)
        got = saved(s, target + ".txt", banner())
        check(got == banner(), "saved banner %r" % got)
        check(not os.path.exists(target), "the name without the extension was written")


def test_text_up_to_the_first_zero():
    with session() as s:
        main = s.launch()
        source = os.path.join(s.tmp, "zero.txt")
        write(source, b"abc\x00def")
        open_file(s, main, source)
        target = os.path.join(s.tmp, "out.txt")
        save_file(s, main, target)
        got = saved(s, target, b"abc")
        check(got == b"abc", "saved %r" % got)


# Bytes that are not valid UTF-8, GBK text, and both mixed with CR LF, LF and lone CR.
ROUND_TRIPS = {
    "invalid-utf8.txt": b"ok \xff\xfe \xc3( \xed\xa0\x80 \xf4\x90\x80\x80 \xc0\xaf\r\nend\xe2\x82",
    "gbk.txt": "中文测试，澜朵记事本\r\n第二行".encode("gbk"),
    "mixed.txt": b"lf\ncrlf\r\nlone cr\rtab\t\x01\x7f" + "€".encode("utf-8") + b"\x80",
    "escape-range.txt": "\U0010FF41 private".encode("utf-8"),
}


def round_trip(s, main, cases):
    for name, data in cases.items():
        source = os.path.join(s.tmp, name)
        write(source, data)
        open_file(s, main, source)
        target = os.path.join(s.tmp, "back-" + name)
        save_file(s, main, target)
        got = saved(s, target, data)
        check(got == data, "%s came back as %r, not %r" % (name, got, data))


def test_round_trips_utf8_locale():
    with session() as s:
        main = s.launch()
        round_trip(s, main, ROUND_TRIPS)


def gbk_locale(folder):
    """A zh_CN.GBK locale built into `folder` (LOCPATH), or None."""
    os.makedirs(folder, exist_ok=True)
    result = subprocess.run(["localedef", "-i", "zh_CN", "-f", "GBK", os.path.join(folder, "zh_CN.GBK")],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return folder if result.returncode in (0, 1) and os.path.isdir(os.path.join(folder, "zh_CN.GBK")) else None


def test_round_trips_gbk_locale():
    with session() as s:
        locales = gbk_locale(os.path.join(s.tmp, "locales"))
        check(locales is not None, "localedef could not build zh_CN.GBK")
        main = s.launch(env={"LOCPATH": locales, "LANG": "zh_CN.GBK"})
        round_trip(s, main, ROUND_TRIPS)
        # The banner is saved in the system's code page: GBK.
        target = os.path.join(s.tmp, "banner-gbk.txt")
        open_file(s, main, os.path.join(s.tmp, "gbk.txt"))
        save_file(s, main, target)
        expected = ROUND_TRIPS["gbk.txt"]
        check(saved(s, target, expected) == expected, "GBK text saved as %r" % read(target))


def test_overwrite_question():
    with session() as s:
        main = s.launch()
        old = os.path.join(s.tmp, "old.txt")
        write(old, b"old")
        # Cancel the question: the file stays as it was.
        s.click(main, *centre(BUTTON[2]))
        dialog = s.dialog(SAVE_TITLE)
        s.key(dialog, "ctrl+a")
        s.type(dialog, old)
        question = None
        for attempt in range(3):
            # The first Return may only close the name's completion pop-up.
            s.key(dialog, "Return")
            try:
                question = s.wait_for(lambda: (question_shown(s, dialog) or [None])[-1], 1.5, "the question")
                break
            except Exception:
                continue
        check(question is not None, "no overwrite question")
        s.key(question, "Escape")
        s.gone(question)
        check(read(old) == b"old", "the file changed although the question was cancelled")
        time.sleep(0.3)
        if dialog in s.visible_windows():
            s.key(dialog, "Escape")
            s.gone(dialog)
        time.sleep(0.3)
        check(read(old) == b"old", "the file changed although the dialog was cancelled")
        # Replace it.
        save_file(s, main, old, on_question="Return")
        check(saved(s, old, banner()) == banner(), "the file was not replaced")
        # A name typed without the extension: asked about the name with it.
        write(old, b"old")
        save_file(s, main, os.path.join(s.tmp, "old"), on_question="Return")
        check(saved(s, old, banner()) == banner(), "old.txt was not replaced")


def test_typing_enter_and_undo():
    with session() as s:
        main = s.launch()
        source = os.path.join(s.tmp, "ab.txt")
        write(source, b"ab")
        open_file(s, main, source)
        s.click(main, EDIT_BOX[0] + 200, EDIT_BOX[1] + 200)
        s.key(main, "ctrl+End")
        s.type(main, "xy")
        s.key(main, "Return")
        s.type(main, "z")
        target = os.path.join(s.tmp, "typed.txt")
        save_file(s, main, target)
        check(saved(s, target, b"abxy\r\nz") == b"abxy\r\nz", "typed text saved as %r" % read(target))
        s.click(main, EDIT_BOX[0] + 200, EDIT_BOX[1] + 200)
        s.key(main, "ctrl+z", "ctrl+z")
        save_file(s, main, target, on_question="Return")
        check(saved(s, target, b"abxy") == b"abxy", "after two undos %r" % read(target))
        s.click(main, EDIT_BOX[0] + 200, EDIT_BOX[1] + 200)
        s.key(main, "ctrl+y")
        save_file(s, main, target, on_question="Return")
        check(saved(s, target, b"abxy\r\n") == b"abxy\r\n", "after a redo %r" % read(target))
        # Backspace takes CR LF away as one line break.
        s.click(main, EDIT_BOX[0] + 200, EDIT_BOX[1] + 200)
        s.key(main, "ctrl+End", "BackSpace")
        save_file(s, main, target, on_question="Return")
        check(saved(s, target, b"abxy") == b"abxy", "after Backspace %r" % read(target))


def test_dialog_blocks_input_and_clock_ticks():
    with session(screen=(1280, 1024)) as s:
        main = s.launch()
        g = s.geometry(main)
        x, y = g["x"], g["y"]
        s.click(main, *centre(BUTTON[4]))  # the panel with the clock
        time.sleep(0.3)
        s.click(main, *centre(BUTTON[1]))
        dialog = s.dialog(OPEN_TITLE)
        s.run(["xdotool", "windowmove", str(dialog), "0", "0"], True)
        time.sleep(0.3)
        first = s.grab(x + TIME_LABEL[0], y + TIME_LABEL[1], TIME_LABEL[2], TIME_LABEL[3])
        s.wait_for(lambda: s.grab(x + TIME_LABEL[0], y + TIME_LABEL[1], TIME_LABEL[2], TIME_LABEL[3]) != first,
                   2.5, "the time to change while the dialog is shown")
        # 还原 does nothing while the dialog is up: the panel stays uncovered.
        spot = (x + PICTURE[0] + 40, y + PICTURE[1] + 100)
        uncovered = s.pixel(*spot)
        check(uncovered != (0, 0, 0), "the panel is not shown")
        s.click(main, *centre(BUTTON[5]))
        time.sleep(0.5)
        check(s.pixel(*spot) == uncovered, "a click on the main window ran while the dialog was shown")
        s.key(dialog, "Escape")
        s.gone(dialog)
        s.click(main, *centre(BUTTON[5]))
        s.wait_for(lambda: s.pixel(*spot) == (0, 0, 0), 3, "还原 once the dialog is gone")


def test_font_dialog():
    with session() as s:
        main = s.launch()
        g = s.geometry(main)
        box = (g["x"] + EDIT_BOX[0] + 4, g["y"] + EDIT_BOX[1] + 4, EDIT_BOX[2] - 30, EDIT_BOX[3] - 8)
        before = s.grab(*box)
        s.click(main, *centre(BUTTON[3]))
        dialog = s.dialog("字体")
        s.key(dialog, "Escape")
        s.gone(dialog)
        time.sleep(0.3)
        check(s.grab(*box) == before, "a cancelled font dialog changed the edit box")
        # Strike-out (Alt+K) and confirm (Alt+O): a line through all the text.
        s.click(main, *centre(BUTTON[3]))
        dialog = s.dialog("字体")
        s.key(dialog, "alt+k")
        time.sleep(0.2)
        s.key(dialog, "alt+o")
        s.gone(dialog)
        s.wait_for(lambda: s.grab(*box) != before, 3, "the edit box in the chosen font")
        check(s.running(), "the notepad ended")


if __name__ == "__main__":
    install_signal_cleanup()
    run_tests([(name, function) for name, function in globals().items() if name.startswith("test_")])
