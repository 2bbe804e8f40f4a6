#!/usr/bin/env python3
"""The game in real terminals, under a display of its own (Xvfb):

  depths      the colour depth the game picks in xterm, GNU screen inside
              xterm, tmux, TERM=linux and COLORTERM=truecolor, told from the
              colour sequences it writes (captured with script(1));
  screenshots level 1 in xterm and in screen inside xterm (ImageMagick's
              import), with the colours each shows;
  render      how long xterm takes to take in a fresh level-100 frame: the
              frame is written, then a cursor position request, and the time
              runs until xterm answers it (xterm answers in order, once it has
              parsed and drawn everything before); the median of 20.

Usage: tools/terminal_check.py GAME [OTHER_GAME] [OUT_DIR]
With OTHER_GAME (an older build, say), every figure is given for both.
Needs Xvfb, xterm, screen, tmux, xdotool, ImageMagick and script (util-linux).
"""
import os
import pty
import select
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import termios
import time
import tty


def read_until(fd, done, timeout):
    data = b""
    end = time.time() + timeout
    while time.time() < end and not done(data):
        ready, _, _ = select.select([fd], [], [], 0.05)
        if ready:
            try:
                data += os.read(fd, 65536)
            except OSError:
                break
    return data


def run_in_pty(game, folder, env, steps, columns=210, lines=110):
    """Runs the game in a pseudo-terminal; each step is (keys, bytes to wait
    for). Returns what it wrote after the last keys, then ends it."""
    pid, fd = pty.fork()
    if pid == 0:
        os.chdir(folder)
        os.execve(game, [game], env)
    termios.tcsetwinsize(fd, (lines, columns))
    out = b""
    for keys, wait_for in steps:
        os.write(fd, keys)
        out = read_until(fd, lambda d, w=wait_for: w in d, 20)
    out += read_until(fd, lambda d: False, 1.0)
    os.kill(pid, signal.SIGTERM)
    os.waitpid(pid, 0)
    os.close(fd)
    return out


def edge_record(level):
    """Floor along the top row and down the right-hand column."""
    side = level + 2
    rows = ["8" + "7" * (side - 1)] + ["9" * (side - 1) + "7"] * (side - 2) + ["9" * (side - 1) + "0"]
    return "".join(rows)


def level_100_record(game, folder):
    """A real level-100 maze, laid by the game: level 99 walked to its goal,
    level 100 saved."""
    with open(os.path.join(folder, "record.quillonex"), "w") as f:
        f.write(edge_record(99))
    env = dict(os.environ, TERM="xterm-256color", COLORTERM="truecolor")
    run_in_pty(game, folder, env, [(b"", b"Press 'enter'"), (b"\r", b"(y/n)"), (b"y", b"Level 99"),
                                   (b"d" * 100 + b"s" * 100, b"Level 100"), (b"e", b"Saved Game")])


def fresh_frame(game, folder):
    env = dict(os.environ, TERM="xterm-256color", COLORTERM="truecolor")
    return run_in_pty(game, folder, env, [(b"", b"Press 'enter'"), (b"\r", b"(y/n)"), (b"y", b"Level 100")])


def render(frame_file, rounds=20):
    """Run inside xterm: the time xterm takes for the frame, in ms."""
    frame = open(frame_file, "rb").read()
    fd = os.open("/dev/tty", os.O_RDWR)
    saved = termios.tcgetattr(fd)
    tty.setraw(fd)
    times = []
    try:
        for _ in range(rounds + 1):
            os.write(fd, b"\x1b[H\x1b[2J\x1b[6n")
            read_until(fd, lambda d: d.endswith(b"R"), 10)
            start = time.perf_counter()
            os.write(fd, frame + b"\x1b[6n")
            read_until(fd, lambda d: d.endswith(b"R"), 30)
            times.append((time.perf_counter() - start) * 1000)
    finally:
        termios.tcsetattr(fd, termios.TCSADRAIN, saved)
    return statistics.median(times[1:])


def wait_for_log(log, text, timeout=30):
    end = time.time() + timeout
    while time.time() < end:
        if os.path.exists(log) and text in open(log, "rb").read():
            return
        time.sleep(0.2)


def depth_of(output):
    if b"38;2;" in output:
        return "24-bit"
    if b"38;5;" in output:
        return "256-colour palette"
    if b"\x1b[31m" in output or b"\x1b[43m" in output or b";31m" in output:
        return "basic colours"
    return "none seen"


class Display:
    def __init__(self):
        # A display number of our own, beside those of other people's servers.
        number = next(n for n in range(60 + os.getpid() % 30, 200) if not os.path.exists(f"/tmp/.X11-unix/X{n}"))
        self.name = f":{number}"
        self.server = subprocess.Popen(["Xvfb", self.name, "-nolisten", "tcp", "-screen", "0", "1400x1500x24"],
                                       stderr=subprocess.DEVNULL)
        while not os.path.exists(f"/tmp/.X11-unix/X{number}"):
            time.sleep(0.1)
        self.env = dict(os.environ, DISPLAY=self.name)
        for name in ("STY", "TMUX", "COLORTERM", "VTE_VERSION", "KONSOLE_VERSION", "TERM_PROGRAM"):
            self.env.pop(name, None)

    def xterm(self, command, size="100x40"):
        term = subprocess.Popen(["xterm", "-geometry", size + "+0+0", "-e"] + command, env=self.env)
        time.sleep(2)
        return term

    def key(self, name):
        subprocess.run(["xdotool", "mousemove", "60", "60", "key", name], env=self.env, check=False)

    def shot(self, path):
        subprocess.run(["import", "-window", "root", "-crop", "640x420+0+0", path], env=self.env, check=True)

    def close(self):
        self.server.terminate()
        self.server.wait()


def colours_in(path):
    """The colours of at least 40 pixels (a glyph half covers about 80)."""
    info = subprocess.run(["convert", path, "-format", "%c", "histogram:info:-"], capture_output=True, text=True).stdout
    found = []
    for line in info.splitlines():
        count, _, rest = line.strip().partition(":")
        if int(count) >= 40:
            found.append(rest.split()[0].strip("()").replace(",", " "))
    return ", ".join(sorted(set(found)))


def check(game, label, display, out_dir):
    folder = tempfile.mkdtemp(prefix="quillonex-check-")
    log = os.path.join(folder, "log")
    script = ["script", "-q", "-f", log, "-c", game]
    found = {}
    # xterm, then GNU screen inside xterm: level 1 on the screen.
    for name, command in (("xterm", script), ("screen inside xterm", ["screen", "-S", f"check{os.getpid()}"] + script)):
        term = display.xterm(["sh", "-c", f"cd {folder} && exec \"$@\"", "sh"] + command)
        wait_for_log(log, b"Press 'enter'")
        display.key("Return")
        wait_for_log(log, b"Level 1")
        time.sleep(0.5)
        picture = os.path.join(out_dir, f"{label}-{name.replace(' ', '-')}.png")
        display.shot(picture)
        found[name] = depth_of(open(log, "rb").read())
        print(f"  {name}: {picture}: colours {colours_in(picture)}")
        term.terminate()
        term.wait()
        os.remove(log)
    subprocess.run(["screen", "-S", f"check{os.getpid()}", "-X", "quit"], capture_output=True)
    # tmux (own socket), no display needed.
    socket = f"check{os.getpid()}"
    subprocess.run(["tmux", "-L", socket, "-f", "/dev/null", "new-session", "-d", "-x", "100", "-y", "40",
                    f"cd {folder} && " + " ".join(script)], env=display.env, check=True)
    time.sleep(1.5)
    found["tmux"] = depth_of(open(log, "rb").read())
    subprocess.run(["tmux", "-L", socket, "kill-server"], check=False)
    # Straight in a pseudo-terminal, with the variables of the case.
    for name, extra in (("TERM=linux", {"TERM": "linux"}),
                        ("COLORTERM=truecolor", {"TERM": "xterm-256color", "COLORTERM": "truecolor"})):
        found[name] = depth_of(run_in_pty(game, folder, dict(display.env, **extra), [(b"", b"Press 'enter'")]))
    for name, depth in found.items():
        print(f"  depth in {name}: {depth}")
    level_100_record(game, folder)
    frame = os.path.join(folder, "frame")
    with open(frame, "wb") as f:
        f.write(fresh_frame(game, folder))
    result = os.path.join(folder, "render")
    display.xterm(["sh", "-c", f"{sys.executable} {__file__} --render {frame} > {result}"], "210x110").wait()
    print(f"  level-100 fresh frame: {os.path.getsize(frame)} bytes, "
          f"xterm took {float(open(result).read()):.1f} ms (median of 20)")
    shutil.rmtree(folder)


def main():
    if sys.argv[1] == "--render":
        print(render(sys.argv[2]))
        return
    games = [os.path.abspath(g) for g in sys.argv[1:3] if os.path.isfile(g)]
    out_dir = sys.argv[-1] if not os.path.isfile(sys.argv[-1]) else tempfile.mkdtemp(prefix="quillonex-shots-")
    os.makedirs(out_dir, exist_ok=True)
    display = Display()
    try:
        for i, game in enumerate(games):
            print(f"{game}:")
            check(game, f"game{i + 1}", display, out_dir)
    finally:
        display.close()


if __name__ == "__main__":
    main()
