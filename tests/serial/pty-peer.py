#!/usr/bin/python3
"""The far end of a test COM port under Wine: a pseudo-terminal whose slave
a symbolic link names (the prefix's dosdevices/comN), and whose master does
one thing: `stalled` never reads, so writes to the port fill up and wait;
`hangup` closes the master at the first byte, so the port's device vanishes.
Prints "ready" once the link is in place."""
import os
import pty
import signal
import sys
import tty

mode, link = sys.argv[1], sys.argv[2]
# The runner ends this process with SIGTERM; the link goes with it.
signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
master, slave = pty.openpty()
tty.setraw(slave)
path = os.ttyname(slave)
# The slave stays open here too: without it, the master's reads fail at
# once instead of waiting for the port's first byte.
if os.path.islink(link):
    os.unlink(link)
os.symlink(path, link)
print("ready", flush=True)
try:
    if mode == "hangup":
        os.read(master, 1)
        os.close(master)
    # stalled, or hung up: wait until the runner ends this process
    while True:
        signal.pause()
finally:
    if os.path.islink(link) and os.readlink(link) == path:
        os.unlink(link)
