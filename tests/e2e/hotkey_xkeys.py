"""Presses and releases keys on the X display as a keyboard does (XTest), so that Wine sees them
as real key presses, also across focus changes.

usage: hotkey_xkeys.py STEP...   where STEP is +KEY (press), -KEY (release) or a pause in ms
KEY is ctrl, alt or space."""
import ctypes
import sys
import time

KEYSYMS = {"ctrl": 0xFFE3, "alt": 0xFFE9, "space": 0x0020}

x11 = ctypes.CDLL("libX11.so.6")
xtst = ctypes.CDLL("libXtst.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XKeysymToKeycode.restype = ctypes.c_ubyte
x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x11.XFlush.argtypes = [ctypes.c_void_p]
x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]

display = x11.XOpenDisplay(None)
if not display:
    sys.exit("no X display")
for step in sys.argv[1:]:
    if step[0] in "+-":
        code = x11.XKeysymToKeycode(display, KEYSYMS[step[1:]])
        xtst.XTestFakeKeyEvent(display, code, 1 if step[0] == "+" else 0, 0)
        x11.XFlush(display)
    else:
        time.sleep(int(step) / 1000.0)
x11.XCloseDisplay(display)
