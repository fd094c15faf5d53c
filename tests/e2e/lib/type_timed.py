#!/usr/bin/env python3
"""Types keys on $DISPLAY through the XTEST extension (as xdotool does), one
every GAP_MS, and prints for each the wall-clock time in milliseconds since
1970 (the clock of `date +%s%3N`) taken just before its press was sent.

Usage: type_timed.py [--after-line] GAP_MS KEYSYM...
  --after-line  first reads one line from the standard input and prints it,
                then types: the keys follow the moment another program says
                so, without this program's start in between.

One process sends all the keys, so that the times are not stretched by
starting a program for every key."""
import ctypes
import ctypes.util
import sys
import time


def main():
    args = sys.argv[1:]
    after_line = args[:1] == ["--after-line"]
    if after_line:
        args = args[1:]
    if len(args) < 2:
        sys.exit(__doc__)
    gap = int(args[0]) / 1000
    x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    xtst = ctypes.CDLL(ctypes.util.find_library("Xtst") or "libXtst.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XStringToKeysym.restype = ctypes.c_ulong
    x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
    x11.XKeysymToKeycode.restype = ctypes.c_ubyte
    x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("cannot open the display")
    codes = []
    for name in args[1:]:
        code = x11.XKeysymToKeycode(display, x11.XStringToKeysym(name.encode()))
        if code == 0:
            sys.exit(f"no key for {name}")
        codes.append(code)
    if after_line:
        print(sys.stdin.readline().rstrip("\n"), flush=True)
    for code in codes:
        print(time.time_ns() // 1_000_000, flush=True)
        xtst.XTestFakeKeyEvent(display, code, 1, 0)
        xtst.XTestFakeKeyEvent(display, code, 0, 0)
        x11.XSync(display, 0)
        time.sleep(gap)


main()
