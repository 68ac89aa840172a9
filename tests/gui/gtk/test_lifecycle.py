"""How the program ends, what the launchers start, and a save that fails."""

import os
import subprocess
import time

from common import *  # noqa: F401,F403
from dialogs import question_shown, save_file
from harness import Session, check, install_signal_cleanup, run_tests

ARGS = arguments()


def session(**kwargs):
    return Session(ARGS.binary, wm=ARGS.wm, **kwargs)


def close_request(s, window):
    s.run([ARGS.helper, str(window)], True)


def test_exit_through_the_prompt():
    with session() as s:
        main = s.launch()
        s.click(main, *centre(BUTTON[6]))
        prompt = s.prompt_window()
        top = 20  # the title bar: the prompt draws nothing yet, see the report
        s.click(prompt, PROMPT_NO[0] + 15, top + PROMPT_NO[1] + 10)
        code = s.wait_exit()
        check(code == 0, "exit code %s after 否" % code)


def test_yes_saves_and_keeps_both_windows():
    with session() as s:
        main = s.launch()
        s.click(main, *centre(BUTTON[6]))
        prompt = s.prompt_window()
        top = 20  # the title bar: the prompt draws nothing yet, see the report
        s.click(prompt, PROMPT_YES[0] + 15, top + PROMPT_YES[1] + 10)
        dialog = s.dialog(SAVE_TITLE)
        target = os.path.join(s.tmp, "kept.txt")
        s.key(dialog, "ctrl+a")
        s.type(dialog, target)
        for attempt in range(3):
            s.key(dialog, "Return")
            try:
                s.gone(dialog, 1.5)
                break
            except Exception:
                continue
        s.wait_for(lambda: os.path.exists(target), 3, "the saved file")
        with open(target, "rb") as f:
            check(f.read() == banner(), "是 saved something else than the text")
        windows = s.visible_windows()
        check(main in windows and prompt in windows and s.running(), "是 closed a window")


def test_close_request_to_the_main_window():
    with session() as s:
        main = s.launch()
        close_request(s, main)
        code = s.wait_exit()
        check(code == 0, "exit code %s after closing the main window" % code)


def test_close_request_with_the_prompt_open():
    with session() as s:
        main = s.launch()
        s.click(main, *centre(BUTTON[6]))
        prompt = s.prompt_window()
        close_request(s, main)
        s.gone(main)
        time.sleep(0.3)
        check(s.running() and prompt in s.visible_windows(), "the prompt went with the main window")
        s.key(prompt, "Escape")
        code = s.wait_exit()
        check(code == 0, "exit code %s after the prompt closed" % code)


# The first candidate of each launcher, and what the button passes on.
STUBS = {
    7: ("gnome-calculator", ""), 8: ("iptux", ""), 9: ("onboard", ""), 10: ("gnome-tweaks", ""),
    11: ("hardinfo", ""), 12: ("kolourpaint", ""), 13: ("gnome-sound-recorder", ""), 15: ("gucharmap", ""),
    14: ("gnome-control-center", ""),
}


def make_stubs(folder, names):
    os.makedirs(folder, exist_ok=True)
    for name in names:
        path = os.path.join(folder, name)
        with open(path, "w") as f:
            f.write("#!/bin/sh\necho \"$@\" > \"%s.started\"\n" % path)
        os.chmod(path, 0o755)


def test_launchers():
    with session() as s:
        stubs = os.path.join(s.tmp, "bin")
        make_stubs(stubs, [name for name, _ in STUBS.values()] + ["xdg-open"])
        main = s.launch(env={"PATH": stubs + ":" + s.env["PATH"]})
        s.click(main, *centre(BUTTON[4]))
        time.sleep(0.3)
        for button, (name, arguments) in sorted(STUBS.items()):
            s.click(main, *centre(BUTTON[button]))
            marker = os.path.join(stubs, name + ".started")
            s.wait_for(lambda: os.path.exists(marker), 3, "%s from 按钮%d" % (name, button))
            with open(marker) as f:
                check(f.read().strip() == arguments, "%s got arguments %r" % (name, arguments))
        # The picture's link opens the maker's page.
        s.click(main, *centre(PICTURE))
        marker = os.path.join(stubs, "xdg-open.started")
        s.wait_for(lambda: os.path.exists(marker), 3, "xdg-open from the web link")
        with open(marker) as f:
            check(f.read().strip() == identity()["LANDUO_WEB_ADDRESS"], "the link opened something else")
        check(s.running(), "the notepad ended")


def test_launchers_with_nothing_installed():
    with session() as s:
        empty = os.path.join(s.tmp, "empty")
        os.makedirs(empty)
        main = s.launch(env={"PATH": empty})
        g = s.geometry(main)
        s.click(main, *centre(BUTTON[4]))
        time.sleep(0.3)
        for button in (7, 14, 15):
            s.click(main, *centre(BUTTON[button]))
        s.click(main, *centre(PICTURE))
        time.sleep(0.5)
        check(s.running(), "the notepad ended")
        check(s.visible_windows() == [main], "something was shown: %r" % s.visible_windows())
        # Still usable: 还原 covers the panel again.
        spot = (g["x"] + PICTURE[0] + 40, g["y"] + PICTURE[1] + 100)
        s.click(main, *centre(BUTTON[5]))
        s.wait_for(lambda: s.pixel(*spot) == (0, 0, 0), 3, "the edit box back")


def test_failed_save_keeps_the_old_file():
    # root writes anywhere: the program runs as nobody, the folder is root's.
    with session(run_as_nobody=True) as s:
        folder = os.path.join(s.tmp, "locked")
        os.makedirs(folder)
        os.chmod(folder, 0o755)
        old = os.path.join(folder, "old.txt")
        with open(old, "wb") as f:
            f.write(b"old text")
        os.chmod(old, 0o644)
        main = s.launch()
        s.click(main, *centre(BUTTON[2]))
        dialog = s.dialog(SAVE_TITLE)
        s.key(dialog, "ctrl+a")
        s.type(dialog, old)
        message = None
        deadline = time.time() + 10
        while time.time() < deadline and message is None:
            windows = s.visible_windows()
            others = question_shown(s, dialog)
            if dialog in windows and not others:
                s.key(dialog, "Return")
                time.sleep(1.0)
                continue
            if dialog in windows and others:
                s.key(others[-1], "Return")  # replace it: yes
                time.sleep(0.8)
                continue
            if dialog not in windows:
                found = question_shown(s, None)
                if found:
                    message = found[-1]
            time.sleep(0.1)
        check(message is not None, "no error message was shown")
        with open(old, "rb") as f:
            check(f.read() == b"old text", "the old file changed")
        check(sorted(os.listdir(folder)) == ["old.txt"], "files left behind: %r" % os.listdir(folder))
        s.key(message, "Return")
        s.gone(message)
        check(s.running() and main in s.visible_windows(), "the notepad did not go on")


def test_no_display_is_a_fatal_error():
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    result = subprocess.run([ARGS.binary], env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                            timeout=20)
    check(result.returncode == 255, "exit code %s without a display" % result.returncode)
    check("display" in result.stdout, "no word about the display: %r" % result.stdout)


if __name__ == "__main__":
    install_signal_cleanup()
    run_tests([(name, function) for name, function in globals().items() if name.startswith("test_")])
