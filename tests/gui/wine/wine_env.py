"""The shared world of the Wine tests: one Xvfb with openbox, one Wine prefix
with the CJK font replacements and one running wineserver, made by `setup`
and removed by `cleanup`; the tests find it through a state file."""

import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

FONT_NAMES = ["SimSun", "宋体", "NSimSun", "新宋体", "SimHei", "黑体", "Microsoft YaHei", "微软雅黑", "Tahoma",
              "MS Shell Dlg", "MS Shell Dlg 2", "Microsoft Sans Serif", "MS Sans Serif", "Segoe UI"]


def wine_environment(state):
    env = dict(os.environ)
    env.update({
        "DISPLAY": state["display"],
        "WINEPREFIX": state["prefix"],
        "WINEDEBUG": "-all",
        "WINEDLLOVERRIDES": "mscoree,mshtml=",
        "LANG": "zh_CN.UTF-8",
    })
    env.pop("LC_ALL", None)
    return env


def _start(args, log, env=None):
    # Output to a file and a session of its own: ctest must not wait on
    # pipes these keep open, and they are ended by their PIDs.
    with open(log, "wb") as out:
        return subprocess.Popen(args, stdout=out, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                                env=env, start_new_session=True)


def _wait_for(check, seconds, what):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if check():
            return
        time.sleep(0.1)
    raise RuntimeError("timed out waiting for " + what)


def _start_window_manager(state, env):
    # Without a window manager every window that closes stalls Wine for about
    # two seconds; a start that does not come up is tried again.
    for attempt in range(3):
        log = os.path.join(state["root"], "openbox-%d.log" % attempt)
        openbox = _start(["openbox", "--sm-disable"], log, env)
        state["pids"].append(openbox.pid)
        deadline = time.monotonic() + 15
        while time.monotonic() < deadline and openbox.poll() is None:
            check = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=env, capture_output=True)
            if b"window id" in check.stdout:
                return
            time.sleep(0.2)
        if openbox.poll() is None:
            openbox.kill()
        openbox.wait()
        with open(log, "rb") as source:
            sys.stderr.write("openbox did not come up: %r\n" % source.read()[-500:])
    raise RuntimeError("openbox did not start")


def setup(state_file):
    root = tempfile.mkdtemp(prefix="landuo-wine-")
    state = {"root": root, "prefix": os.path.join(root, "prefix"), "pids": []}
    try:
        read_end, write_end = os.pipe()
        with open(os.path.join(root, "xvfb.log"), "wb") as log:
            xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                                     "-nolisten", "tcp"], stdout=log, stderr=subprocess.STDOUT,
                                    pass_fds=(write_end,), start_new_session=True)
        os.close(write_end)
        state["pids"].append(xvfb.pid)
        number = b""
        deadline = time.monotonic() + 20
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_end)
        if not number.strip():
            raise RuntimeError("Xvfb did not start")
        state["display"] = ":" + number.decode().strip()
        env = wine_environment(state)
        _wait_for(lambda: subprocess.run(["xdpyinfo"], env=env, capture_output=True).returncode == 0, 20, "Xvfb")
        _start_window_manager(state, env)
        with open(os.path.join(root, "wineboot.log"), "wb") as log:
            subprocess.run(["wineboot", "-i"], env=env, stdout=log, stderr=subprocess.STDOUT, timeout=180, check=True)
            subprocess.run(["wineserver", "-w"], env=env, timeout=120, check=True)
            text = "Windows Registry Editor Version 5.00\r\n\r\n"
            text += "[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"
            for name in FONT_NAMES:
                text += '"%s"="WenQuanYi Micro Hei"\r\n' % name
            reg = os.path.join(root, "fonts.reg")
            with open(reg, "wb") as out:
                out.write(b"\xff\xfe" + text.encode("utf-16-le"))
            subprocess.run(["wine", "reg", "import", "Z:" + reg.replace("/", "\\")], env=env, stdout=log,
                           stderr=subprocess.STDOUT, timeout=60, check=True)
            fonts = os.path.join(state["prefix"], "drive_c", "windows", "Fonts")
            shutil.copy("/usr/share/wine/fonts/marlett.ttf", fonts)
            subprocess.run(["wineserver", "-w"], env=env, timeout=60, check=True)
            # Kept up for every test: a program then starts in a tenth of a second.
            subprocess.run(["wineserver", "-p"], env=env, stdout=log, stderr=subprocess.STDOUT, timeout=60,
                           check=True)
    except BaseException:
        _cleanup(state)
        raise
    with open(state_file, "w", encoding="utf-8") as out:
        json.dump(state, out)


def _cleanup(state):
    if "display" in state and os.path.isdir(state.get("prefix", "")):
        subprocess.run(["wineserver", "-k"], env=wine_environment(state), capture_output=True, timeout=60)
    for pid in reversed(state.get("pids", [])):
        try:
            os.kill(pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
    shutil.rmtree(state["root"], ignore_errors=True)


def cleanup(state_file):
    if not os.path.exists(state_file):
        return
    with open(state_file, encoding="utf-8") as source:
        state = json.load(source)
    _cleanup(state)
    os.remove(state_file)


def load(state_file):
    with open(state_file, encoding="utf-8") as source:
        return json.load(source)


if __name__ == "__main__":
    command, path = sys.argv[1], sys.argv[2]
    {"setup": setup, "cleanup": cleanup}[command](path)
