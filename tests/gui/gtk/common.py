"""What the GUI tests share: the program's places and the look's colours."""

import argparse
import os
import re

# Units of the main window: x, y, width, height.
BUTTON = {i: rect for i, rect in {
    1: (24, 56, 64, 20), 2: (88, 56, 64, 20), 3: (152, 56, 64, 20), 4: (216, 56, 64, 20),
    5: (280, 56, 64, 20), 6: (344, 56, 64, 20), 7: (24, 152, 80, 25), 8: (24, 184, 80, 25),
    9: (24, 216, 80, 25), 10: (24, 248, 80, 25), 11: (328, 152, 80, 25), 12: (328, 184, 80, 25),
    13: (328, 216, 80, 25), 14: (328, 248, 80, 25), 15: (184, 376, 65, 20)}.items()}
EDIT_BOX = (24, 88, 384, 272)
TITLE_LABEL = (120, 24, 193, 20)
PICTURE = (120, 144, 193, 140)
DATE_LABEL = (120, 296, 193, 20)
TIME_LABEL = (168, 336, 98, 20)
PICKER_EDIT = (24, 376, 65, 20)
PICKER_WINDOW = (344, 376, 65, 20)
PROMPT_YES = (24, 72, 30, 20)
PROMPT_NO = (136, 72, 30, 20)

BUTTON_BORDER = (0, 60, 116)
EDIT_FRAME = (198, 197, 215)
PALETTE = [(0, 0, 0), (64, 64, 64), (128, 128, 128), (192, 192, 192), (255, 255, 255), (128, 0, 0), (255, 0, 0),
           (255, 128, 0), (255, 215, 0), (255, 255, 0), (128, 128, 0), (154, 205, 50), (0, 128, 0), (0, 255, 0),
           (0, 255, 255), (0, 128, 128), (135, 206, 235), (0, 0, 255), (0, 0, 128), (75, 0, 130), (128, 0, 128),
           (255, 0, 255), (255, 192, 203), (165, 42, 42), (210, 105, 30), (245, 245, 220), (240, 230, 140),
           (255, 127, 80), (255, 99, 71), (230, 230, 250), (152, 255, 152), (148, 0, 211)]

OPEN_TITLE = "澜朵~帮你打开~"
SAVE_TITLE = "澜朵~帮你保存~"

SOURCE = os.path.normpath(os.path.join(os.path.dirname(__file__), "..", "..", ".."))


def centre(rect):
    return rect[0] + rect[2] // 2, rect[1] + rect[3] // 2


def gradient_row(y, rows, colours=((0, 0, 0), (255, 0, 0), (0, 0, 0))):
    """The title label's rule: segment s = rows / 2, truncated channel steps."""
    segment = rows // 2
    index = y // segment
    if index >= 2:
        return colours[2]
    start, end = colours[index], colours[index + 1]
    step = y % segment

    def blend(a, b):
        value = step * (b - a)
        return a + int(value / segment)  # toward zero
    return tuple(blend(a, b) for a, b in zip(start, end))


def identity():
    with open(os.path.join(SOURCE, "ui", "identity.h"), encoding="utf-8") as f:
        text = f.read()
    values = dict(re.findall(r'#define (LANDUO_\w+) "([^"]*)"', text))
    values["LANDUO_MAKER_CREDIT"] = values["LANDUO_MAKER_NAME"] + "·出品"
    return values


def banner():
    """The edit box's content at load, as bytes in UTF-8."""
    ids = identity()
    line = "〓" * 30
    lines = ["", "", "", "", line, "", "", "",
             " " * 24 + "澜朵~记事本 V 2.0" + " " * 3,
             " " * 15,
             " " * 18 + "软件作者：" + ids["LANDUO_AUTHOR_NAME"] + " " * 3 + ids["LANDUO_CONTACT_PREFIX"] +
             ids["LANDUO_CONTACT_NUMBER"],
             " " * 22,
             " " * 15 + ids["LANDUO_MAKER_CREDIT"] + " " * 2 + ids["LANDUO_WEB_ADDRESS"],
             "", "", "", line]
    return "\r\n".join(lines).encode("utf-8")


def arguments():
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    parser.add_argument("--helper", help="x_close, which sends the system's close request")
    parser.add_argument("--wm", action="store_true", help="run openbox")
    return parser.parse_args()
