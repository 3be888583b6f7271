"""Helpers for end-to-end runs on a private desktop (Xvfb and a D-Bus session,
started by the test's command): drive the real deckeditor with real input
(xdotool) and read it back through the accessibility tree."""
import ctypes
import ctypes.util
import subprocess
import time

SCREEN = (1280, 1024)


def wait_until(probe, timeout=15.0, what='condition'):
    """Polls probe() until it gives a true value, which is returned."""
    deadline = time.monotonic() + timeout
    last_error = None
    while True:
        try:
            value = probe()
            if value:
                return value
        except Exception as error:  # the tree changes under us while windows open and close
            last_error = error
        if time.monotonic() > deadline:
            raise AssertionError('timed out waiting for %s%s' % (what, ' (%s)' % last_error if last_error else ''))
        time.sleep(0.05)


def start_accessibility_bus():
    """Asking for the accessibility bus's address starts it; the registry
    starts on that bus when first asked for."""
    wait_until(lambda: subprocess.run(
        ['dbus-send', '--session', '--print-reply', '--dest=org.a11y.Bus', '/org/a11y/bus',
         'org.a11y.Bus.GetAddress'], capture_output=True, timeout=5).returncode == 0,
        timeout=20, what='the accessibility bus')


def xdo(*args):
    subprocess.run(['xdotool'] + [str(a) for a in args], check=True, timeout=30)


def click(x, y, button=1):
    xdo('mousemove', '--sync', int(x), int(y))
    xdo('click', button)


def key(*names):
    xdo('key', '--delay', 30, *names)


def type_text(text):
    """Types text as key presses. xdotool would type a character outside the
    keyboard map by remapping a spare key just for it and back: a busy program
    that reads the map after it changed again loses or garbles the character.
    Such characters get a key of their own for the whole display instead,
    bound once before their first press, and are pressed through XTest."""
    _bind_keys(set(c for c in text if not c.isascii()))
    run = ''
    for c in text + '\0':
        if c != '\0' and c.isascii():
            run += c
            continue
        if run:
            xdo('type', '--delay', 40, run)
            run = ''
        if c != '\0':
            _press(_bound[c])


_bound = {}  # character -> the key code bound to it on this display


def _keysym(character):
    code = ord(character)
    return code if code < 0x100 else 0x1000000 | code


def _bind_keys(characters):
    new = sorted(c for c in characters if c not in _bound)
    if not new:
        return
    x11 = _xlib()
    x11.XDisplayKeycodes.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int)]
    x11.XGetKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_ubyte, ctypes.c_int, ctypes.POINTER(ctypes.c_int)]
    x11.XGetKeyboardMapping.restype = ctypes.POINTER(ctypes.c_ulong)
    x11.XChangeKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                           ctypes.POINTER(ctypes.c_ulong), ctypes.c_int]
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    display = x11.XOpenDisplay(None)
    low, high, per = ctypes.c_int(), ctypes.c_int(), ctypes.c_int()
    x11.XDisplayKeycodes(display, ctypes.byref(low), ctypes.byref(high))
    count = high.value - low.value + 1
    table = x11.XGetKeyboardMapping(display, low.value, count, ctypes.byref(per))
    used = set(_bound.values())
    spare = [low.value + i for i in range(count)
             if low.value + i not in used and not any(table[i * per.value + j] for j in range(per.value))]
    assert len(spare) >= len(new), 'no spare key codes left for %r' % new
    for character, code in zip(new, spare):
        symbols = (ctypes.c_ulong * 1)(_keysym(character))
        x11.XChangeKeyboardMapping(display, code, 1, symbols, 1)
        _bound[character] = code
    x11.XSync(display, 0)
    x11.XCloseDisplay(display)


def _press(code):
    xtst = ctypes.cdll.LoadLibrary(ctypes.util.find_library('Xtst'))
    xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
    x11 = _xlib()
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    display = x11.XOpenDisplay(None)
    xtst.XTestFakeKeyEvent(display, code, 1, 0)
    xtst.XTestFakeKeyEvent(display, code, 0, 0)
    x11.XSync(display, 0)
    x11.XCloseDisplay(display)


def wheel(x, y, notches):
    """Positive notches roll away from the user (up)."""
    xdo('mousemove', '--sync', int(x), int(y))
    xdo('click', '--repeat', abs(notches), '--delay', 60, 4 if notches > 0 else 5)


def geometry(window):
    """(x, y, width, height) of an X window by id, or None."""
    out = subprocess.run(['xdotool', 'getwindowgeometry', '--shell', window],
                         capture_output=True, text=True, timeout=10).stdout
    values = dict(line.split('=', 1) for line in out.split() if '=' in line)
    return tuple(int(values[k]) for k in ('X', 'Y', 'WIDTH', 'HEIGHT')) if values else None


def window_geometry(name):
    """(x, y, width, height) of the visible X window with exactly this name, or None."""
    for window in x_windows('--onlyvisible', '--name', '^%s$' % name):
        found = geometry(window)
        if found:
            return found
    return None


def x_windows(*search):
    """Ids of the X windows `xdotool search` finds with these arguments."""
    return subprocess.run(['xdotool', 'search'] + list(search), capture_output=True, text=True,
                          timeout=10).stdout.split()


def _xlib():
    x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library('X11'))
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    return x11


def iconify(window):
    """Minimises an X window as a window manager does (the display has none):
    unmapped, with WM_STATE Iconic, which is what the program reads."""
    x11 = _xlib()
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong,
                                    ctypes.c_int, ctypes.c_int, ctypes.c_void_p, ctypes.c_int]
    x11.XUnmapWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    display = x11.XOpenDisplay(None)
    wm_state = x11.XInternAtom(display, b'WM_STATE', 0)
    iconic = (ctypes.c_long * 2)(3, 0)  # IconicState, no icon window
    x11.XChangeProperty(display, int(window), wm_state, wm_state, 32, 0, iconic, 2)
    x11.XUnmapWindow(display, int(window))
    x11.XCloseDisplay(display)
