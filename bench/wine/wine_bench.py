"""The notepad's .exe under Wine against a bare Win32 window (the floor) and
Wine's own notepad: start-up to the main window mapped, idle CPU, the .exe's
size, and opening 10 MB and 100 MB files until the text is shown and the
process has been quiet for 500 ms.

Usage: wine_bench.py NOTEPAD_EXE BARE_EXE MAP_WATCH [--runs N] [--quick]"""

import argparse
import os
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "gui", "wine"))
import wine_env  # noqa: E402

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as source:
        fields = source.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


def wineserver_pid():
    result = subprocess.run(["pgrep", "-n", "wineserver"], capture_output=True, text=True)
    return int(result.stdout.split()[0]) if result.stdout.split() else None


def stop(pid):
    try:
        os.kill(pid, 9)
    except ProcessLookupError:
        return
    for _ in range(100):
        try:
            os.waitpid(pid, os.WNOHANG)
            os.kill(pid, 0)
        except (ChildProcessError, ProcessLookupError):
            return
        time.sleep(0.05)


def start_time(env, watch, command, runs):
    times = []
    for _ in range(runs):
        result = subprocess.run([watch, "20"] + command, env=env, capture_output=True, text=True, timeout=60)
        words = result.stdout.split()
        if len(words) == 2 and words[0] != "timeout":
            times.append(float(words[0]))
        if len(words) == 2:
            stop(int(words[1]))
        time.sleep(0.5)
    return times


def launch(env, command, work):
    log = open(os.path.join(work, "bench-program.log"), "ab")
    process = subprocess.Popen(command, env=env, stdout=log, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                               start_new_session=True)
    log.close()
    return process


def wait_window(env, name, seconds=20):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name], env=env,
                               capture_output=True, text=True).stdout.split()
        if found:
            return found[-1]
        time.sleep(0.05)
    raise RuntimeError("no window " + name)


def idle_cpu(env, command, work, seconds):
    process = launch(env, command, work)
    try:
        time.sleep(3)
        server = wineserver_pid()
        program_before = cpu_seconds(process.pid)
        server_before = cpu_seconds(server) if server else 0.0
        time.sleep(seconds)
        program = cpu_seconds(process.pid) - program_before
        server_cpu = (cpu_seconds(server) - server_before) if server else 0.0
        return program, server_cpu
    finally:
        process.kill()
        process.wait()


def windows_process(image):
    """The newest process running `image`: `wine notepad` starts Wine's
    notepad in a process of its own."""
    found = subprocess.run(["pgrep", "-n", "-f", image], capture_output=True, text=True).stdout.split()
    return int(found[0]) if found else None


def open_time(env, command, work, main_name, open_keys, dialog_name, path, wine_path, image):
    """Seconds from confirming the open dialog until the process last used
    CPU before 500 ms of quiet."""
    process = launch(env, command, work)
    try:
        main = wait_window(env, main_name)
        pid = windows_process(image) or process.pid
        time.sleep(1.0)
        subprocess.run(["xdotool", "windowfocus", "--sync", main], env=env)
        open_keys(main)
        dialog = wait_window(env, dialog_name)
        time.sleep(0.7)
        subprocess.run(["xdotool", "windowfocus", "--sync", dialog], env=env)
        subprocess.run(["xdotool", "type", "--delay", "10", wine_path(path)], env=env)
        time.sleep(0.3)
        last = cpu_seconds(pid)
        confirmed = time.monotonic()
        subprocess.run(["xdotool", "key", "Return"], env=env)
        last_busy = confirmed
        while True:
            time.sleep(0.05)
            used = cpu_seconds(pid)
            moment = time.monotonic()
            if used > last:
                last, last_busy = used, moment
            elif moment - last_busy >= 0.5:
                return last_busy - confirmed
            if moment - confirmed > 300:
                return float("inf")
    finally:
        process.kill()
        process.wait()
        other = windows_process(image)
        if other is not None:
            stop(other)


def make_text_file(path, megabytes):
    line = ("0123456789" * 8)[:78].encode() + b"\r\n"
    count = megabytes * 1000 * 1000 // len(line)
    with open(path, "wb") as out:
        out.write(line * count)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("exe")
    parser.add_argument("bare")
    parser.add_argument("watch")
    parser.add_argument("--runs", type=int, default=9)
    parser.add_argument("--idle-seconds", type=int, default=30)
    parser.add_argument("--sizes", default="10,100")
    args = parser.parse_args()

    state_file = os.path.join(HERE, ".bench-world.json")
    wine_env.setup(state_file)
    try:
        state = wine_env.load(state_file)
        env = wine_env.wine_environment(state)
        work = state["root"]
        exe = os.path.abspath(args.exe)
        print("exe size: %d bytes (%.0f KB)" % (os.path.getsize(exe), os.path.getsize(exe) / 1024))
        programs = [("bare window", ["wine", os.path.abspath(args.bare)]), ("landuo-notepad", ["wine", exe]),
                    ("wine notepad", ["wine", "notepad"])]
        # One warm-up each, so all three start from the same warm caches.
        medians = {}
        for name, command in programs:
            start_time(env, args.watch, command, 1)
        for name, command in programs:
            times = start_time(env, args.watch, command, args.runs)
            medians[name] = statistics.median(times) if times else float("nan")
            print("start-up %-15s median %.3f s of %d runs (%s)" %
                  (name, medians[name], len(times), " ".join("%.3f" % t for t in times)))
        print("start-up ratio landuo / floor: %.2f" % (medians["landuo-notepad"] / medians["bare window"]))

        program, server = idle_cpu(env, ["wine", exe], work, args.idle_seconds)
        print("idle CPU over %d s: program %.0f ms, wineserver %.0f ms" % (args.idle_seconds, program * 1000,
                                                                           server * 1000))

        def wine_path(path):
            return "Z:" + path.replace("/", "\\")

        def ours_open(main):
            # 打开 is at 24, 56 (64 x 20) in the client area.
            geometry = subprocess.run(["xdotool", "getwindowgeometry", main], env=env, capture_output=True,
                                      text=True).stdout
            subprocess.run(["xdotool", "mousemove", "--window", main, "56", "66", "click", "1"], env=env)
            del geometry

        def wine_notepad_open(main):
            subprocess.run(["xdotool", "key", "ctrl+o"], env=env)

        for size in (int(s) for s in args.sizes.split(",") if s):
            path = os.path.join(work, "bench-%dmb.txt" % size)
            make_text_file(path, size)
            ours = open_time(env, ["wine", exe], work, "^http://landuo\\.example\\.org/$", ours_open,
                             "^澜朵~帮你打开~$", path, wine_path,
                             "landuo-notepad.exe")
            print("open %3d MB: landuo-notepad %.2f s" % (size, ours))
            theirs = open_time(env, ["wine", "notepad"], work, "记事本", wine_notepad_open, "^打开$", path,
                               wine_path, "notepad.exe")
            print("open %3d MB: wine notepad   %.2f s" % (size, theirs))
            os.remove(path)
    finally:
        wine_env.cleanup(state_file)


if __name__ == "__main__":
    main()
