"""Plays a recorded receiver stream into a pseudo-terminal and runs the monitor on its
serial side; the monitor must print the expected positions and stop after the last one.

usage: serial_replay.py MONITOR RECORDING EXPECTED
"""
import os
import pty
import subprocess
import sys
import tty


def main():
    monitor, recording, expected = sys.argv[1:4]
    with open(expected) as f:
        want = f.read()
    master, slave = pty.openpty()
    # Raw before writing: the line discipline would otherwise turn CR into LF on arrival.
    tty.setraw(slave)
    with open(recording, "rb") as f:
        os.write(master, f.read())
    count = str(want.count("\n"))
    # --idle only bounds a failing run; a good one ends at the last expected position.
    done = subprocess.run([monitor, "--count", count, "--idle", "20", os.ttyname(slave)],
                          capture_output=True, text=True, timeout=60)
    os.close(slave)
    os.close(master)
    if done.returncode != 0 or done.stdout != want:
        sys.exit("serial replay: exit %d\n--- got ---\n%s\n--- expected ---\n%s\n%s"
                 % (done.returncode, done.stdout, want, done.stderr))


if __name__ == "__main__":
    main()
