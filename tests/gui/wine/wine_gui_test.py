"""The notepad's .exe under Wine, driven as a user would drive it: xdotool
clicks and keys, screenshots for colours, the saved files' bytes, the exit
codes, and a small Win32 probe for what Windows itself reports (window
rectangles, the children in stacking order, the focus, the version record).

Usage: wine_gui_test.py TEST STATE_FILE NOTEPAD_EXE PROBE_EXE"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

import wine_env

# The screen is 1024 x 768: the main window centred there.
MAIN_X, MAIN_Y = (1024 - 434) // 2, (768 - 419) // 2
PROMPT_X, PROMPT_Y = (1024 - 196) // 2, (768 - 150) // 2
MAIN_CLASS = "LanduoMainWindow"
PROMPT_CLASS = "LanduoPromptWindow"
MAIN_TITLE = "http://landuo.example.org/"
FIRST_ID = 100

# The main window's units, topmost first: name, native class, client rect.
MAIN_UNITS = [
    ("按钮15", "Button", (184, 376, 65, 20)),
    ("编辑框1", "Edit", (24, 88, 384, 272)),
    ("颜色选择器2", "LanduoColourPicker", (344, 376, 65, 20)),
    ("时钟1", None, None),
    ("通用对话框3", None, None),
    ("通用对话框2", None, None),
    ("通用对话框1", None, None),
    ("标签1", "LanduoTitleLabel", (120, 24, 193, 20)),
    ("透明标签1", "LanduoTransparentLabel", (120, 144, 193, 140)),
    ("透明标签2", "LanduoTransparentLabel", (120, 296, 193, 20)),
    ("透明标签3", "LanduoTransparentLabel", (168, 336, 98, 20)),
    ("图片框1", "LanduoPicture", (120, 144, 193, 140)),
    ("颜色选择器1", "LanduoColourPicker", (24, 376, 65, 20)),
    ("按钮14", "Button", (328, 248, 80, 25)),
    ("按钮13", "Button", (328, 216, 80, 25)),
    ("按钮12", "Button", (328, 184, 80, 25)),
    ("按钮11", "Button", (328, 152, 80, 25)),
    ("按钮10", "Button", (24, 248, 80, 25)),
    ("按钮9", "Button", (24, 216, 80, 25)),
    ("按钮8", "Button", (24, 184, 80, 25)),
    ("按钮7", "Button", (24, 152, 80, 25)),
    ("按钮6", "Button", (344, 56, 64, 20)),
    ("按钮5", "Button", (280, 56, 64, 20)),
    ("按钮4", "Button", (216, 56, 64, 20)),
    ("按钮3", "Button", (152, 56, 64, 20)),
    ("按钮2", "Button", (88, 56, 64, 20)),
    ("按钮1", "Button", (24, 56, 64, 20)),
]
CAPTIONS = {"按钮1": "打开", "按钮2": "保存", "按钮3": "字体", "按钮4": "功能", "按钮5": "还原", "按钮6": "退出",
            "按钮7": "数学计算", "按钮8": "网络信使", "按钮9": "屏幕键盘", "按钮10": "启动管理", "按钮11": "配置查看",
            "按钮12": "画图工具", "按钮13": "录音设备", "按钮14": "控制面板", "按钮15": "特殊字符",
            "标签1": "澜 朵 ~ 记 事 本  V 2.0"}
FOCUS_ORDER = ["按钮1", "按钮2", "按钮3", "按钮4", "按钮5", "按钮6", "按钮7", "按钮8", "按钮9", "按钮10", "按钮11",
               "按钮12", "按钮13", "按钮14", "颜色选择器1", "颜色选择器2", "编辑框1", "按钮15"]
PROMPT_UNITS = [("按钮2", (136, 72, 30, 20), "否"), ("按钮1", (24, 72, 30, 20), "是"),
                ("透明标签1", (16, 32, 159, 20), "内容可能已改变,是否保存?")]

BANNER = "\r\n".join([
    "", "", "", "", "〓" * 30, "", "", "",
    " " * 24 + "澜朵~记事本 V 2.0" + " " * 3,
    " " * 15,
    " " * 18 + "软件作者：林朵朵" + " " * 3 + "QQ:20100406",
    " " * 22,
    " " * 15 + "澜朵工作室·出品" + " " * 2 + "http://landuo.example.org/",
    "", "", "", "〓" * 30])


def unit_id(name):
    return FIRST_ID + [unit[0] for unit in MAIN_UNITS].index(name)


def centre_of(name):
    x, y, w, h = dict((u[0], u[2]) for u in MAIN_UNITS)[name]
    return x + w // 2, y + h // 2


def gradient_row(y, rows):
    colours = [(0, 0, 0), (255, 0, 0), (0, 0, 0)]
    segment = rows // 2
    index = y // segment
    if index >= 2:
        return colours[2]
    start, end = colours[index], colours[index + 1]
    step = y % segment
    # Truncated toward zero, as C++ integer division does.
    return tuple(int(s + step * (e - s) / segment) for s, e in zip(start, end))


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


class World:
    def __init__(self, state_file, exe, probe):
        self.state = wine_env.load(state_file)
        self.env = wine_env.wine_environment(self.state)
        self.work = tempfile.mkdtemp(prefix="case-", dir=self.state["root"])
        self.exe = exe
        self.probe_exe = os.path.join(self.work, "probe.exe")
        shutil.copy(probe, self.probe_exe)
        self.programs = []

    # ---- Processes -------------------------------------------------------------

    def run(self, args, timeout=60):
        return subprocess.run(args, env=self.env, capture_output=True, timeout=timeout)

    def start(self, exe=None, cwd=None):
        log = open(os.path.join(self.work, "program.log"), "ab")
        process = subprocess.Popen(["wine", exe or self.exe], cwd=cwd or self.work, env=self.env, stdout=log,
                                   stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL, start_new_session=True)
        log.close()
        self.programs.append(process)
        self.wait_for(lambda: self.main_window() is not None, 20, "the main window")
        self.wait_for(lambda: self.probe_ok("rect", MAIN_CLASS), 20, "the main window seen by Win32")
        time.sleep(0.3)
        return process

    def finish(self):
        for process in self.programs:
            if process.poll() is None:
                process.kill()
                process.wait(timeout=30)
        shutil.rmtree(self.work, ignore_errors=True)

    def wait_for(self, condition, seconds, what):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if condition():
                return
            time.sleep(0.1)
        raise Failure("timed out after %s s waiting for %s" % (seconds, what))

    @staticmethod
    def wine_path(path):
        return "Z:" + path.replace("/", "\\")

    def probe(self, command, argument):
        out = os.path.join(self.work, "probe.txt")
        if os.path.exists(out):
            os.remove(out)
        result = self.run(["wine", self.probe_exe, command, argument, self.wine_path(out)])
        if result.returncode != 0 or not os.path.exists(out):
            return None
        with open(out, encoding="utf-8") as source:
            return [line.split("\t") for line in source.read().splitlines()]

    def probe_ok(self, command, argument):
        return self.probe(command, argument) is not None

    def window_rect(self, window_class):
        lines = self.probe("rect", window_class)
        if lines is None:
            return None
        values = {line[0]: line[1:] for line in lines}
        return {"window": tuple(int(v) for v in values["window"][:4]),
                "visible": values["window"][4] == "1", "enabled": values["window"][5] == "1",
                "client": tuple(int(v) for v in values["client"])}

    def children(self, window_class):
        lines = self.probe("children", window_class) or []
        return [{"id": int(l[0]), "class": l[1], "rect": tuple(int(v) for v in l[2:6]), "visible": l[6] == "1",
                 "style": int(l[7]) & 0xFFFFFFFF, "exstyle": int(l[8]) & 0xFFFFFFFF, "text": l[9],
                 "limit": int(l[10]) if len(l) > 10 else None} for l in lines]

    def focus(self, window_class):
        lines = self.probe("focus", window_class)
        return int(lines[0][1]) if lines else None

    # ---- The screen and the input ------------------------------------------------

    def main_window(self):
        result = self.run(["xdotool", "search", "--onlyvisible", "--name", "^" + MAIN_TITLE.replace(".", "\\.") + "$"])
        ids = result.stdout.split()
        return ids[0].decode() if ids else None

    def screenshot(self):
        path = os.path.join(self.work, "screen.ppm")
        result = self.run(["import", "-silent", "-window", "root", "-depth", "8", "ppm:" + path])
        check(result.returncode == 0, "screenshot failed: %r" % result.stderr)
        with open(path, "rb") as source:
            data = source.read()
        # P6\n<w> <h>\n255\n<rgb...>
        parts = data.split(b"\n", 3)
        width, height = (int(v) for v in parts[1].split())
        return Screen(width, height, parts[3])

    def click(self, x, y, button=1):
        self.run(["xdotool", "mousemove", str(x), str(y), "click", str(button)])

    def click_main(self, name):
        x, y = centre_of(name)
        self.click(MAIN_X + x, MAIN_Y + y)

    def drag(self, x, y, dx, dy):
        self.run(["xdotool", "mousemove", str(x), str(y), "mousedown", "1"])
        steps = 8
        for k in range(1, steps + 1):
            time.sleep(0.03)
            self.run(["xdotool", "mousemove", str(x + dx * k // steps), str(y + dy * k // steps)])
        time.sleep(0.1)
        self.run(["xdotool", "mouseup", "1"])
        time.sleep(0.4)

    def key(self, *keys):
        self.run(["xdotool", "key", "--delay", "30"] + list(keys))

    def find_windows(self, title):
        result = self.run(["xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"])
        return result.stdout.decode().split()

    def wait_dialog(self, title, count=1):
        self.wait_for(lambda: len(self.find_windows(title)) >= count, 20, "the window " + title)
        time.sleep(0.5)
        return self.find_windows(title)[-1]

    def enter_in_dialog(self, window, text):
        self.run(["xdotool", "windowfocus", "--sync", window])
        time.sleep(0.2)
        self.run(["xdotool", "type", "--delay", "15", text])
        time.sleep(0.2)
        self.key("Return")

    def focus_main(self):
        window = self.main_window()
        self.run(["xdotool", "windowfocus", "--sync", window])
        time.sleep(0.2)


class Screen:
    def __init__(self, width, height, pixels):
        self.width, self.height, self.pixels = width, height, pixels

    def at(self, x, y):
        offset = (y * self.width + x) * 3
        return tuple(self.pixels[offset:offset + 3])

    def region(self, x, y, w, h):
        return b"".join(self.pixels[((y + row) * self.width + x) * 3:((y + row) * self.width + x + w) * 3]
                        for row in range(h))


def near(a, b, tolerance):
    return all(abs(p - q) <= tolerance for p, q in zip(a, b))


# ---- The tests ---------------------------------------------------------------------------------


def test_layout(world):
    """Both windows' places and sizes, every unit at its place in stacking
    order, the focus order, and the colours of the themed look."""
    world.start()
    rect = world.window_rect(MAIN_CLASS)
    check(rect["window"] == (MAIN_X, MAIN_Y, 434, 419), "main window rect %r" % (rect["window"],))
    check(rect["client"] == (MAIN_X, MAIN_Y, 434, 419), "no frame: client %r" % (rect["client"],))
    children = world.children(MAIN_CLASS)
    expected = [(FIRST_ID + i, cls, r) for i, (name, cls, r) in enumerate(MAIN_UNITS) if cls is not None]
    got = [(c["id"], c["class"].lower(), c["rect"]) for c in children]
    check(got == [(i, c.lower(), r) for i, c, r in expected], "children in stacking order:\n%r\nexpected\n%r" %
          (got, expected))
    check(all(c["visible"] for c in children), "every unit visible at load")
    by_id = {c["id"]: c for c in children}
    for name, caption in CAPTIONS.items():
        check(by_id[unit_id(name)]["text"] == caption, "%s caption %r" % (name, by_id[unit_id(name)]["text"]))
    edit = by_id[unit_id("编辑框1")]
    ES_MULTILINE, ES_AUTOHSCROLL, WS_VSCROLL, WS_HSCROLL = 0x4, 0x80, 0x200000, 0x100000
    check(edit["style"] & ES_MULTILINE and edit["style"] & WS_VSCROLL, "multi-line with a vertical scroll bar")
    check(not edit["style"] & (ES_AUTOHSCROLL | WS_HSCROLL), "word wrap: no horizontal scrolling")
    check(edit["limit"] >= 0x7FFFFFFE, "no length limit below the control's: %r" % edit["limit"])
    check(world.focus(MAIN_CLASS) == unit_id("按钮1"), "按钮1 has the focus at load")

    screen = world.screenshot()
    for x, y in [(3, 3), (430, 415), (10, 300), (420, 200)]:
        check(screen.at(MAIN_X + x, MAIN_Y + y) == (0, 0, 0), "black background at %d,%d" % (x, y))
    # The title label's client area, 2 pixels inside its sunken edge: 16 gradient rows.
    for row in range(16):
        got = screen.at(MAIN_X + 120 + 2 + 1, MAIN_Y + 24 + 2 + row)
        check(near(got, gradient_row(row, 16), 1), "title row %d: %r, expected %r" % (row, got,
                                                                                     gradient_row(row, 16)))
    # A themed button's border, and the edit box's flat frame with its inner line.
    for name in ["按钮1", "按钮6", "按钮15"]:
        x, y, w, h = dict((u[0], u[2]) for u in MAIN_UNITS)[name]
        check(screen.at(MAIN_X + x + w // 2, MAIN_Y + y) == (0, 60, 116), "%s border top" % name)
        check(screen.at(MAIN_X + x + w // 2, MAIN_Y + y + h - 1) == (0, 60, 116), "%s border bottom" % name)
    check(screen.at(MAIN_X + 24, MAIN_Y + 200) == (198, 197, 215), "the edit box's flat frame")
    check(screen.at(MAIN_X + 24 + 1, MAIN_Y + 200) == (255, 255, 255), "the frame's inner line")

    # Tab follows the focus order, covered tool buttons included; Shift+Tab goes back.
    world.focus_main()
    for name in FOCUS_ORDER[1:] + FOCUS_ORDER[:1]:
        world.key("Tab")
        check(world.focus(MAIN_CLASS) == unit_id(name), "Tab reaches %s" % name)
    world.key("shift+Tab")
    check(world.focus(MAIN_CLASS) == unit_id("按钮15"), "Shift+Tab goes back to 按钮15")
    # A hidden unit is skipped: with the edit box hidden, Tab goes from 颜色选择器2 to 按钮15.
    world.click_main("按钮4")
    world.wait_for(lambda: not {c["id"]: c for c in world.children(MAIN_CLASS)}[unit_id("编辑框1")]["visible"], 10,
                   "the edit box hidden")
    world.focus_main()
    world.key("shift+Tab", "Tab")
    check(world.focus(MAIN_CLASS) == unit_id("按钮4"), "focus stays on the clicked 按钮4")
    for _ in range(12):
        world.key("Tab")
    check(world.focus(MAIN_CLASS) == unit_id("颜色选择器2"), "Tab reaches 颜色选择器2")
    world.key("Tab")
    check(world.focus(MAIN_CLASS) == unit_id("按钮15"), "the hidden edit box is skipped")


def test_panel(world):
    """功能 uncovers the panel (picture cut, not scaled; the clock ticking),
    还原 covers it again, Space clicks a focused button, the colour pickers
    recolour the edit box and the window."""
    world.start()
    picture = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "assets", "picture.jpg")
    ppm = os.path.join(world.work, "picture.ppm")
    subprocess.run(["/usr/bin/convert", picture, "-depth", "8", "ppm:" + ppm], check=True)
    with open(ppm, "rb") as source:
        parts = source.read().split(b"\n", 3)
    jpeg = Screen(*(int(v) for v in parts[1].split()), parts[3])
    check((jpeg.width, jpeg.height) == (195, 141), "the picture is 195 x 141")

    # 功能 by the keyboard: Tab to it, Space.
    world.focus_main()
    world.key("Tab", "Tab", "Tab")
    check(world.focus(MAIN_CLASS) == unit_id("按钮4"), "focus on 按钮4")
    world.key("space")
    world.wait_for(lambda: not {c["id"]: c for c in world.children(MAIN_CLASS)}[unit_id("编辑框1")]["visible"], 10,
                   "the edit box hidden by Space on 功能")
    time.sleep(0.5)
    screen = world.screenshot()
    for x, y in [(5, 5), (100, 70), (192, 139), (60, 20)]:
        got = screen.at(MAIN_X + 120 + x, MAIN_Y + 144 + y)
        check(near(got, jpeg.at(x, y), 24), "picture pixel %d,%d: %r, expected about %r" % (x, y, got, jpeg.at(x, y)))
    # Cut at the box's edges: right of the box and under it lies the black window.
    check(screen.at(MAIN_X + 120 + 193, MAIN_Y + 144 + 70) == (0, 0, 0), "the picture is cut on the right")
    check(screen.at(MAIN_X + 120 + 100, MAIN_Y + 144 + 140) == (0, 0, 0), "the picture is cut at the bottom")

    # The time label changes from one second to the next; the date shows.
    first = screen.region(MAIN_X + 168, MAIN_Y + 336, 98, 20)
    check(first != bytes(len(first)), "the time label shows the time")
    date = screen.region(MAIN_X + 120, MAIN_Y + 296, 193, 20)
    check(date != bytes(len(date)), "the date label shows the date")
    time.sleep(1.2)
    second = world.screenshot().region(MAIN_X + 168, MAIN_Y + 336, 98, 20)
    check(first != second, "the clock ticked")

    world.click_main("按钮5")
    world.wait_for(lambda: {c["id"]: c for c in world.children(MAIN_CLASS)}[unit_id("编辑框1")]["visible"], 10,
                   "the edit box shown by 还原")
    time.sleep(0.4)
    screen = world.screenshot()
    check(not near(screen.at(MAIN_X + 220, MAIN_Y + 214), jpeg.at(100, 70), 24) or jpeg.at(100, 70) == (0, 0, 0),
          "the picture is covered again")

    # The edit box background from the first picker's palette: red, the 7th swatch.
    world.click_main("颜色选择器1")
    cell_x = MAIN_X + 24 + 1 + 2 + 6 * 18 + 9
    cell_y = MAIN_Y + 396 + 1 + 2 + 9
    world.wait_for(lambda: world.screenshot().at(cell_x, cell_y) == (255, 0, 0), 10, "the palette")
    world.click(cell_x, cell_y)
    world.wait_for(lambda: world.screenshot().at(MAIN_X + 40, MAIN_Y + 95) == (255, 0, 0), 10,
                   "the edit box turned red")
    # The window background from the second picker: white, the 5th swatch.
    world.click_main("颜色选择器2")
    cell_x = MAIN_X + 344 + 1 + 2 + 4 * 18 + 9
    world.wait_for(lambda: world.screenshot().at(cell_x, cell_y) == (255, 255, 255), 10, "the second palette")
    world.click(cell_x, cell_y)
    world.wait_for(lambda: world.screenshot().at(MAIN_X + 5, MAIN_Y + 5) == (255, 255, 255), 10,
                   "the window turned white")
    check(world.screenshot().at(MAIN_X + 40, MAIN_Y + 95) == (255, 0, 0), "the edit box stays red")
    # Esc closes a palette without a choice.
    world.click_main("颜色选择器1")
    cell_x = MAIN_X + 24 + 1 + 2 + 4 * 18 + 9
    world.wait_for(lambda: world.screenshot().at(cell_x, cell_y) == (255, 255, 255), 10, "the palette again")
    world.key("Escape")
    time.sleep(0.6)
    check(world.screenshot().at(MAIN_X + 40, MAIN_Y + 95) == (255, 0, 0), "Esc chose nothing")


def test_font(world):
    """The font dialog from 字体, the windows disabled meanwhile, its choice
    applied to the edit box: a size of 36 points makes the banner's text
    much larger."""
    world.start()
    area = (MAIN_X + 26, MAIN_Y + 90, 360, 268)

    def green_pixels():
        region = world.screenshot().region(*area)
        return sum(1 for i in range(0, len(region), 3) if region[i + 1] > 150 and region[i] < 100)

    before = green_pixels()
    check(before > 200, "the banner shows in green")
    world.click_main("按钮3")
    dialog = world.wait_dialog("字体")
    check(not world.window_rect(MAIN_CLASS)["enabled"], "the main window is disabled under the font dialog")
    world.run(["xdotool", "windowfocus", "--sync", dialog])
    time.sleep(0.3)
    # Face, style, size: the size box is the third; 36 points there.
    world.key("Tab", "Tab")
    world.run(["xdotool", "type", "--delay", "30", "36"])
    time.sleep(0.3)
    world.key("Return")
    world.wait_for(lambda: world.window_rect(MAIN_CLASS)["enabled"], 10, "the font dialog gone")
    time.sleep(0.5)
    after = green_pixels()
    check(after > before * 2, "a much larger font: %d green pixels, %d before" % (after, before))


def test_drag(world):
    """The window moves by its background and 标签1, by nothing else."""
    world.start()
    world.drag(MAIN_X + 10, MAIN_Y + 10, 40, 30)
    x, y = MAIN_X + 40, MAIN_Y + 30
    check(world.window_rect(MAIN_CLASS)["window"][:2] == (x, y), "moved by its background")
    world.drag(x + 130, y + 34, -20, -10)
    x, y = x - 20, y - 10
    check(world.window_rect(MAIN_CLASS)["window"][:2] == (x, y), "moved by 标签1")
    for name in ["按钮6", "编辑框1", "颜色选择器1"]:
        ux, uy = centre_of(name)
        if name == "颜色选择器1":
            world.drag(x + ux, y + uy, 30, -60)
            world.key("Escape")
        else:
            world.drag(x + ux, y + uy, 30, 20)
        check(world.window_rect(MAIN_CLASS)["window"][:2] == (x, y), "a drag on %s does not move it" % name)
    check(world.programs[0].poll() is None, "the program runs on")


def test_files(world):
    """The banner's bytes through the save dialog, the first zero cutting the
    text, GBK and invalid bytes round-tripping, the overwrite question, the
    windows disabled and the clock ticking while the open dialog is shown."""
    folder = os.path.join(world.work, "files")
    os.mkdir(folder)
    world.start()

    world.click_main("按钮2")
    dialog = world.wait_dialog("澜朵~帮你保存~")
    check(not world.window_rect(MAIN_CLASS)["enabled"], "the main window is disabled under the dialog")
    world.enter_in_dialog(dialog, world.wine_path(os.path.join(folder, "banner")))
    saved = os.path.join(folder, "banner.txt")
    world.wait_for(lambda: os.path.exists(saved), 15, "banner.txt (the default extension added)")
    world.wait_for(lambda: world.window_rect(MAIN_CLASS)["enabled"], 10, "the main window enabled again")
    with open(saved, "rb") as source:
        got = source.read()
    check(got == BANNER.encode("gbk"), "the banner's GBK bytes:\n%r\n%r" % (got, BANNER.encode("gbk")))

    cases = [
        ("zero.txt", b"abc\x00def", b"abc"),
        ("gbk.txt", "中文测试，第二行\r\n澜朵记事本\nLF only\rlone CR\r\n".encode("gbk"), None),
        ("bytes.txt", bytes(range(1, 256)) + bytes(range(255, 0, -1)) + b"\x81", None),
    ]
    for index, (name, content, expected) in enumerate(cases):
        source_path = os.path.join(folder, name)
        with open(source_path, "wb") as out:
            out.write(content)
        world.focus_main()
        if index == 0:
            # The clock keeps ticking while the open dialog is shown.
            world.click_main("按钮4")
            time.sleep(0.5)
        world.click_main("按钮1")
        dialog = world.wait_dialog("澜朵~帮你打开~")
        if index == 0:
            world.run(["xdotool", "windowmove", "--sync", dialog, "0", "0"])
            time.sleep(0.5)
            first = world.screenshot().region(MAIN_X + 168, MAIN_Y + 336, 98, 20)
            time.sleep(1.2)
            second = world.screenshot().region(MAIN_X + 168, MAIN_Y + 336, 98, 20)
            check(first != second and first != bytes(len(first)), "the clock ticks under the open dialog")
        world.enter_in_dialog(dialog, world.wine_path(source_path))
        world.wait_for(lambda: world.window_rect(MAIN_CLASS)["enabled"], 10, "the open dialog gone")
        if index == 0:
            world.click_main("按钮5")
        time.sleep(0.3)
        target = os.path.join(folder, "out-" + name)
        world.click_main("按钮2")
        dialog = world.wait_dialog("澜朵~帮你保存~")
        world.enter_in_dialog(dialog, world.wine_path(target))
        world.wait_for(lambda: os.path.exists(target), 15, target)
        world.wait_for(lambda: world.window_rect(MAIN_CLASS)["enabled"], 10, "the save dialog gone")
        with open(target, "rb") as source:
            got = source.read()
        check(got == (expected if expected is not None else content), "%s saved as %r" % (name, got[:80]))

    # Saving over an existing file asks first; "y" replaces it.
    target = os.path.join(folder, "out-gbk.txt")
    world.click_main("按钮2")
    dialog = world.wait_dialog("澜朵~帮你保存~")
    world.enter_in_dialog(dialog, world.wine_path(target))
    question = world.wait_dialog("澜朵~帮你保存~", count=2)
    with open(target, "rb") as source:
        check(source.read() == cases[1][1], "nothing written before the answer")
    world.run(["xdotool", "windowfocus", "--sync", question])
    time.sleep(0.2)
    world.key("y")
    world.wait_for(lambda: open(target, "rb").read() == cases[2][1], 15, "the file replaced")
    leftovers = [n for n in os.listdir(folder) if n.endswith(".tmp")]
    check(not leftovers, "no temporary file left: %r" % leftovers)


def test_exit(world):
    """The prompt's place, size and focus; Esc; 否 ending with 0; the close
    request to the main window with and without the prompt open."""
    program = world.start()
    world.click_main("按钮6")
    world.wait_for(lambda: world.window_rect(PROMPT_CLASS) is not None, 10, "the prompt")
    time.sleep(0.5)
    rect = world.window_rect(PROMPT_CLASS)
    check(rect["window"] == (PROMPT_X, PROMPT_Y, 196, 150), "prompt rect %r" % (rect["window"],))
    cx, cy = rect["client"][:2]
    children = world.children(PROMPT_CLASS)
    got = [(c["id"], c["rect"], c["text"]) for c in children]
    check(got == [(FIRST_ID + i, r, t) for i, (_, r, t) in enumerate(PROMPT_UNITS)], "prompt units %r" % got)
    check(world.focus(PROMPT_CLASS) == FIRST_ID + 1, "是 has the focus")
    check(world.focus(MAIN_CLASS) is not None and world.window_rect(MAIN_CLASS)["visible"], "the main window stays")
    # A second 退出 makes no second prompt.
    world.click_main("按钮6")
    time.sleep(0.5)
    prompts = world.run(["xdotool", "search", "--onlyvisible", "--classname", "landuo-notepad.exe"]).stdout.split()
    check(len(prompts) <= 2, "one prompt only: %r" % prompts)
    # The prompt's green question on black.
    screen = world.screenshot()
    check(screen.at(cx + 3, cy + 3) == (0, 0, 0), "the prompt is black")
    question = screen.region(cx + 16, cy + 32, 159, 20)
    check(any(question[i + 1] > 150 and question[i] < 80 and question[i + 2] < 80 for i in range(0, len(question), 3)),
          "a green question")
    # Esc closes it; the program runs on.
    world.click(cx + 100, cy + 10)
    time.sleep(0.3)
    world.key("Escape")
    world.wait_for(lambda: world.window_rect(PROMPT_CLASS) is None, 10, "Esc closing the prompt")
    time.sleep(0.5)
    check(program.poll() is None and world.window_rect(MAIN_CLASS) is not None, "the main window stays")
    # 退出, then 否: both windows go and the program ends with 0.
    world.click_main("按钮6")
    world.wait_for(lambda: world.window_rect(PROMPT_CLASS) is not None, 10, "the prompt again")
    time.sleep(0.5)
    cx, cy = world.window_rect(PROMPT_CLASS)["client"][:2]
    world.click(cx + 136 + 15, cy + 72 + 10)
    check(program.wait(timeout=15) == 0, "否 ends with exit code 0")

    # The system's close command to the main window: 0 at once, nothing asked.
    program = world.start()
    check(world.probe_ok("close", MAIN_CLASS), "close command sent")
    check(program.wait(timeout=15) == 0, "a close request ends with 0")

    # The same while the prompt is open: only the main window goes.
    program = world.start()
    world.click_main("按钮6")
    world.wait_for(lambda: world.window_rect(PROMPT_CLASS) is not None, 10, "the prompt")
    time.sleep(0.5)
    check(world.probe_ok("close", MAIN_CLASS), "close command sent")
    world.wait_for(lambda: world.window_rect(MAIN_CLASS) is None, 10, "the main window gone")
    time.sleep(1.0)
    check(program.poll() is None and world.window_rect(PROMPT_CLASS) is not None, "the prompt runs on alone")
    check(world.probe_ok("close", PROMPT_CLASS), "close command to the prompt")
    check(program.wait(timeout=15) == 0, "ends with 0 when the prompt goes")


def test_launch(world):
    """A launcher never starts a calc.exe planted beside the program or in
    the folder the last dialog made current; it does start the system's."""
    home = os.path.join(world.work, "home")
    elsewhere = os.path.join(world.work, "elsewhere")
    os.mkdir(home)
    os.mkdir(elsewhere)
    exe = os.path.join(home, "landuo-notepad.exe")
    shutil.copy(world.exe, exe)
    for folder in (home, elsewhere):
        shutil.copy(world.probe_exe, os.path.join(folder, "calc.exe"))
    with open(os.path.join(elsewhere, "note.txt"), "wb") as out:
        out.write(b"x")
    system_calc = os.path.join(world.state["prefix"], "drive_c", "windows", "system32", "calc.exe")
    marks = [os.path.join(home, "calc.exe.ran"), os.path.join(elsewhere, "calc.exe.ran")]
    try:
        world.start(exe=exe, cwd=elsewhere)
        world.click_main("按钮4")
        time.sleep(0.5)
        world.click_main("按钮7")
        time.sleep(2.5)
        check(not any(os.path.exists(m) for m in marks), "no planted calc.exe started from the program's folder")
        # The open dialog makes `elsewhere` the current folder.
        world.click_main("按钮1")
        dialog = world.wait_dialog("澜朵~帮你打开~")
        world.enter_in_dialog(dialog, world.wine_path(os.path.join(elsewhere, "note.txt")))
        world.wait_for(lambda: world.window_rect(MAIN_CLASS)["enabled"], 10, "the open dialog gone")
        time.sleep(0.3)
        world.click_main("按钮7")
        time.sleep(2.5)
        check(not any(os.path.exists(m) for m in marks), "no planted calc.exe started from the current folder")
        # The system folder's own calc.exe does start.
        shutil.copy(world.probe_exe, system_calc)
        world.click_main("按钮7")
        world.wait_for(lambda: os.path.exists(system_calc + ".ran"), 15, "the system's calc.exe started")
        check(not any(os.path.exists(m) for m in marks), "still no planted one")
    finally:
        for path in (system_calc, system_calc + ".ran"):
            if os.path.exists(path):
                os.remove(path)


def test_version(world):
    """The version record read back through GetFileVersionInfoW, the
    resources' language, and the imports: only Windows' own DLLs."""
    lines = world.probe("version", world.wine_path(os.path.abspath(world.exe)))
    check(lines is not None, "a version record")
    record = {line[0]: line[1] for line in lines}
    expected = {
        "translation": "\\StringFileInfo\\080404B0\\",
        "FileVersion": "1.0.4.2",
        "ProductVersion": "1.0.4.2",
        "ProductName": "澜 朵 ~ 记 事 本  V 2.0",
        "FileDescription": "澜朵工作室·出品",
        "ContactPrefix": "QQ:",
        "ContactNumber": "20100406",
        "WebPage": "http://landuo.example.org/",
        "fixed.file": "1.0.4.2",
        "fixed.product": "1.0.4.2",
        "fixed.type": "1",
        "fixed.os": str(0x40004),
    }
    for key, value in expected.items():
        check(record.get(key) == value, "%s: %r, expected %r" % (key, record.get(key), value))
    listing = subprocess.run(["wrestool", "-l", world.exe], capture_output=True, text=True).stdout
    check(listing.strip(), "resources listed")
    for line in listing.splitlines():
        check("--language=2052" in line, "resource tagged Chinese (PRC): " + line)
    check("--type=14" in listing and "--type=24" in listing and "--type=10" in listing, "icon, manifest, picture")
    icon = os.path.join(world.work, "icon.ico")
    with open(icon, "wb") as out:
        out.write(subprocess.run(["wrestool", "-x", "-t14", world.exe], capture_output=True).stdout)
    info = subprocess.run(["icotool", "-l", icon], capture_output=True, text=True).stdout
    check("--width=32 --height=32" in info and "--bit-depth=8" in info, "a 32 x 32 256-colour icon: " + info)
    dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", world.exe], capture_output=True, text=True).stdout
    dlls = {line.split()[-1].lower() for line in dump.splitlines() if "DLL Name:" in line}
    allowed = {"kernel32.dll", "user32.dll", "gdi32.dll", "comdlg32.dll", "comctl32.dll", "shell32.dll",
               "ole32.dll", "oleaut32.dll", "msvcrt.dll", "advapi32.dll"}
    check(dlls and dlls <= allowed, "imports only Windows' DLLs: %r" % sorted(dlls))


TESTS = {name[5:]: value for name, value in globals().items() if name.startswith("test_")}


def main():
    name, state_file, exe, probe = sys.argv[1:5]
    world = World(state_file, exe, probe)
    try:
        TESTS[name](world)
    except Failure as failure:
        print("FAILED: %s: %s" % (name, failure))
        keep = os.environ.get("LANDUO_WINE_KEEP")
        if keep:
            world.screenshot()
            shutil.copy(os.path.join(world.work, "screen.ppm"), os.path.join(keep, name + ".ppm"))
        return 1
    finally:
        world.finish()
    print("passed: " + name)
    return 0


if __name__ == "__main__":
    sys.exit(main())
