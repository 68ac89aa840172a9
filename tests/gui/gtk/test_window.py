"""The main window and the save prompt as a user sees them: places, sizes,
colours, the panel, the pickers, dragging, the clock and the keyboard."""

import os
import re
import time

from common import *  # noqa: F401,F403
from harness import Session, check, install_signal_cleanup, run_tests

ARGS = arguments()


def session(**kwargs):
    return Session(ARGS.binary, wm=ARGS.wm, **kwargs)


def origin(s, window):
    g = s.geometry(window)
    return g["x"], g["y"]


def near(a, b, tolerance=0):
    return all(abs(x - y) <= tolerance for x, y in zip(a, b))


def test_places_and_sizes():
    for screen in ((1024, 768), (800, 600)):
        with session(screen=screen) as s:
            main = s.launch()
            g = s.geometry(main)
            check((g["x"], g["y"], g["width"], g["height"]) ==
                  ((screen[0] - 434) // 2, (screen[1] - 419) // 2, 434, 419), "main window at %r" % g)
            s.click(main, *centre(BUTTON[6]))
            prompt = s.prompt_window()
            g = s.geometry(prompt)
            check((g["x"], g["y"], g["width"], g["height"]) ==
                  ((screen[0] - 196) // 2, (screen[1] - 150) // 2, 196, 150), "prompt at %r" % g)
            # A second "退出" makes no second prompt.
            s.click(main, *centre(BUTTON[6]))
            time.sleep(0.3)
            prompts = [w for w in s.visible_windows() if s.geometry(w)["width"] == 196]
            check(len(prompts) == 1, "prompts shown: %d" % len(prompts))


def test_look():
    with session() as s:
        main = s.launch()
        x, y = origin(s, main)
        time.sleep(0.3)
        points = [(x + 3, y + 3), (x + 430, y + 415), (x + 200, y + 370)]
        # The title label's client rows, left of the centred caption.
        label_x, label_y = TITLE_LABEL[0], TITLE_LABEL[1]
        rows = [(x + label_x + 4, y + label_y + 2 + row) for row in range(16)]
        edge = [(x + label_x + 60, y + label_y), (x + label_x + 60, y + label_y + 1),
                (x + label_x + 60, y + label_y + 19)]
        border = [(x + BUTTON[1][0] + 30, y + BUTTON[1][1]), (x + BUTTON[6][0] + 30, y + BUTTON[6][1] + 19)]
        frame = [(x + EDIT_BOX[0] + 100, y + EDIT_BOX[1]), (x + EDIT_BOX[0] + 100, y + EDIT_BOX[1] + 1),
                 (x + EDIT_BOX[0] + 100, y + EDIT_BOX[1] + 10)]
        colours = s.pixels(points + rows + edge + border + frame)
        background, rows_seen, edge_seen, border_seen, frame_seen = (
            colours[:3], colours[3:19], colours[19:22], colours[22:24], colours[24:])
        check(background == [(0, 0, 0)] * 3, "window background %r" % background)
        expected = [gradient_row(row, 16) for row in range(16)]
        check(rows_seen == expected, "title rows %r, expected %r" % (rows_seen, expected))
        check(edge_seen == [(160, 160, 160), (105, 105, 105), (255, 255, 255)], "sunken edge %r" % edge_seen)
        check(border_seen == [BUTTON_BORDER] * 2, "button border %r" % border_seen)
        check(frame_seen[0] == EDIT_FRAME and frame_seen[1] == (255, 255, 255) and frame_seen[2] == (0, 0, 0),
              "edit box frame %r" % frame_seen)


def picture_pixel(px, py):
    import subprocess
    out = subprocess.run(["/usr/bin/convert", os.path.join(SOURCE, "assets", "picture.jpg"), "-depth", "8",
                          "-format", "%%[fx:int(255*p{%d,%d}.r)],%%[fx:int(255*p{%d,%d}.g)],%%[fx:int(255*p{%d,%d}.b)]"
                          % (px, py, px, py, px, py), "info:"], stdout=subprocess.PIPE, text=True, check=True).stdout
    return tuple(int(v) for v in out.split(","))


def test_panel_and_stacking():
    with session() as s:
        stubs = os.path.join(s.tmp, "bin")
        os.makedirs(stubs)
        marker = os.path.join(s.tmp, "calc-started")
        with open(os.path.join(stubs, "gnome-calculator"), "w") as f:
            f.write("#!/bin/sh\necho \"$@\" > '%s'\n" % marker)
        os.chmod(os.path.join(stubs, "gnome-calculator"), 0o755)
        main = s.launch(env={"PATH": stubs + ":" + s.env["PATH"]})
        x, y = origin(s, main)
        spots = [(x + PICTURE[0] + 40, y + PICTURE[1] + 100), (x + PICTURE[0] + 150, y + PICTURE[1] + 120),
                 (x + PICTURE[0] + 192, y + PICTURE[1] + 139)]
        picture = [picture_pixel(40, 100), picture_pixel(150, 120), picture_pixel(192, 139)]
        check(s.pixels(spots) == [(0, 0, 0)] * 3, "the edit box covers the panel")
        s.click(main, *centre(BUTTON[4]))  # 功能
        s.wait_for(lambda: all(near(a, b, 6) for a, b in zip(s.pixels(spots), picture)), 3, "the picture")
        # The picture is cut at the box's edge: one pixel right of it is the window's black.
        check(s.pixel(x + PICTURE[0] + 193, y + PICTURE[1] + 20) == (0, 0, 0), "picture cut on the right")
        check(s.pixel(x + PICTURE[0] + 20, y + PICTURE[1] + 140) != picture_pixel(20, 140) or
              picture_pixel(20, 140) == (0, 0, 0), "picture cut at the bottom")
        s.click(main, *centre(BUTTON[5]))  # 还原
        s.wait_for(lambda: s.pixels(spots) == [(0, 0, 0)] * 3, 3, "the edit box back")
        # After hiding and showing, a click where 数学计算 lies reaches the edit box.
        s.click(main, *centre(BUTTON[7]))
        time.sleep(0.6)
        check(not os.path.exists(marker), "a click on the edit box reached the covered launcher")
        s.click(main, *centre(BUTTON[4]))
        time.sleep(0.3)
        s.click(main, *centre(BUTTON[7]))
        s.wait_for(lambda: os.path.exists(marker), 3, "the calculator stub to start")
        check(s.running(), "the notepad stays")


def popup_at(s, left, top):
    out = s.run(["xwininfo", "-root", "-children"])
    for match in re.finditer(r"^\s+(0x[0-9a-f]+) .*?(\d+)x(\d+)\+(-?\d+)\+(-?\d+)\s", out, re.M):
        if int(match.group(4)) == left and int(match.group(5)) == top:
            return int(match.group(1), 16)
    return None


def test_colour_pickers():
    with session() as s:
        main = s.launch()
        x, y = origin(s, main)
        edit_spot = (x + EDIT_BOX[0] + 300, y + EDIT_BOX[1] + 250)
        window_spot = (x + 3, y + 3)

        def choose(picker, index):
            s.click(main, picker[0] + 20, picker[1] + 10)
            left, top = x + picker[0], y + picker[1] + picker[3]
            s.wait_for(lambda: popup_at(s, left, top), 3, "the palette")
            column, row = index % 7, index // 7
            s.run(["xdotool", "mousemove", str(left + 4 + 21 * column + 10), str(top + 4 + 21 * row + 10),
                   "click", "1"], True)
            s.wait_for(lambda: not popup_at(s, left, top), 3, "the palette to close")

        choose(PICKER_EDIT, 6)  # red
        s.wait_for(lambda: s.pixel(*edit_spot) == PALETTE[6], 3, "a red edit box")
        check(s.pixel(*window_spot) == (0, 0, 0), "the window stays black")
        choose(PICKER_WINDOW, 17)  # blue
        s.wait_for(lambda: s.pixel(*window_spot) == PALETTE[17], 3, "a blue window")
        check(s.pixel(*edit_spot) == PALETTE[6], "the edit box stays red")
        # Esc and a press outside close the palette without a choice.
        s.click(main, PICKER_EDIT[0] + 20, PICKER_EDIT[1] + 10)
        left, top = x + PICKER_EDIT[0], y + PICKER_EDIT[1] + PICKER_EDIT[3]
        s.wait_for(lambda: popup_at(s, left, top), 3, "the palette")
        s.run(["xdotool", "key", "Escape"], True)
        s.wait_for(lambda: not popup_at(s, left, top), 3, "Esc to close the palette")
        s.click(main, PICKER_EDIT[0] + 20, PICKER_EDIT[1] + 10)
        s.wait_for(lambda: popup_at(s, left, top), 3, "the palette")
        s.run(["xdotool", "mousemove", str(x + 400), str(y + 10), "click", "1"], True)
        s.wait_for(lambda: not popup_at(s, left, top), 3, "a press outside to close the palette")
        time.sleep(0.2)
        check(s.pixel(*edit_spot) == PALETTE[6], "the edit box is still red")


def test_dragging():
    with session() as s:
        main = s.launch()

        def moved_by(x, y):
            before = origin(s, main)
            s.drag(main, x, y, 40, 30)
            time.sleep(0.3)
            after = origin(s, main)
            return after[0] - before[0], after[1] - before[1]

        moved = moved_by(5, 5)
        check(moved == (40, 30), "a drag on the background moved the window by %r" % (moved,))
        check(moved_by(TITLE_LABEL[0] + 10, TITLE_LABEL[1] + 10) == (40, 30), "a drag on the title label moves it")
        check(moved_by(EDIT_BOX[0] + 100, EDIT_BOX[1] + 100) == (0, 0), "a drag in the edit box does not")
        s.click(main, *centre(BUTTON[4]))
        time.sleep(0.3)
        check(moved_by(TIME_LABEL[0] + 10, TIME_LABEL[1] + 10) == (0, 0), "a drag on a transparent label does not")
        check(moved_by(BUTTON[5][0] + 10, BUTTON[5][1] + 10) == (0, 0), "a drag on a button does not")


def test_prompt_closing():
    with session() as s:
        main = s.launch()
        s.click(main, *centre(BUTTON[6]))
        prompt = s.prompt_window()
        before = origin(s, prompt)
        s.drag(prompt, 100, 120, 30, 20)
        time.sleep(0.3)
        check(origin(s, prompt) == before, "a drag on the prompt's body moves it")
        s.key(prompt, "Escape")
        s.gone(prompt)
        check(s.running() and main in s.visible_windows(), "Esc in the prompt keeps the main window")
        s.click(main, *centre(BUTTON[6]))
        prompt = s.prompt_window()
        # The close box: the title bar's right end.
        s.click(prompt, 196 - 11, 9)
        s.gone(prompt)
        check(s.running() and main in s.visible_windows(), "the close box keeps the main window")


def test_clock():
    with session() as s:
        main = s.launch()
        x, y = origin(s, main)
        s.click(main, *centre(BUTTON[4]))
        time.sleep(1.3)
        date = s.grab(x + DATE_LABEL[0], y + DATE_LABEL[1], DATE_LABEL[2], DATE_LABEL[3])
        check(any(b != 0 for b in date), "the date label shows nothing")
        first = s.grab(x + TIME_LABEL[0], y + TIME_LABEL[1], TIME_LABEL[2], TIME_LABEL[3])
        s.wait_for(lambda: s.grab(x + TIME_LABEL[0], y + TIME_LABEL[1], TIME_LABEL[2], TIME_LABEL[3]) != first,
                   2.5, "the time label to change")


def test_keyboard_focus():
    with session() as s:
        main = s.launch()
        # 按钮1 has the focus at load: Space clicks it.
        s.key(main, "space")
        dialog = s.dialog(OPEN_TITLE)
        s.key(dialog, "Escape")
        s.gone(dialog)
        # Tab moves on to 按钮2.
        s.key(main, "Tab", "space")
        dialog = s.dialog(SAVE_TITLE)
        s.key(dialog, "Escape")
        s.gone(dialog)
        # Shift+Tab from 按钮2 back to 按钮1, then backwards round to 按钮15 and 编辑框1.
        s.key(main, "shift+Tab", "space")
        dialog = s.dialog(OPEN_TITLE)
        s.key(dialog, "Escape")
        s.gone(dialog)


if __name__ == "__main__":
    install_signal_cleanup()
    run_tests([(name, function) for name, function in globals().items() if name.startswith("test_")])
