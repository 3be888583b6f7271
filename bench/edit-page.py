#!/usr/bin/python3
"""Time from choosing 編集 to a deck page that shows the deck, for two builds
of the editor in the same run, alternating, so that both meet the same load.

    bench/edit-page.sh runs this on a private display and bus:
    edit-page.py BEFORE-EDITOR BEFORE-PAGE AFTER-EDITOR AFTER-PAGE [RUNS]

The page shows the deck once the browser window offers ok: the page has taken
the deck (and, where the editor hands one over, the collection) and reported
its code. Each run starts the editor on the end-to-end tests' save file, lets
the browser process load its page, clicks 編集 and polls the accessibility
tree for an enabled ok. The figure includes that polling (every 10 ms) alike
for both builds.
"""
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'e2e'))
import desktop  # noqa: E402

SETTLE_S = 3.0  # the browser process starts after the main window and loads its page meanwhile


def browser_app(pyatspi, editor_pid):
    """The browser process's application on the bus (not any other: asking a
    gone run's application waits for a time-out)."""
    found = subprocess.run(['pgrep', '-P', str(editor_pid), '-x', 'deckeditor-brow'], capture_output=True, text=True)
    pids = {int(p) for p in found.stdout.split()}
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() in pids:
            return app
    return None


def ok_enabled(pyatspi, app):
    app.clearCache()
    for window in app:
        if window is None or not window.getState().contains(pyatspi.STATE_SHOWING):
            continue
        for c in window:
            if c is not None and c.getRoleName() == 'push button' and c.name == 'ok':
                states = c.getState()
                return states.contains(pyatspi.STATE_SHOWING) and states.contains(pyatspi.STATE_SENSITIVE)
    return False


def one_run(e2e, program, page):
    test = e2e.EditorTest('setUp')
    test.setUp()
    try:
        test.start(page=page, program=program)
        time.sleep(SETTLE_S)
        app = desktop.wait_until(lambda: browser_app(e2e.pyatspi, test.editor.process.pid), 60, 'the browser process')
        tab = test.main().tabs[e2e.TABS.index('編集')]
        # Away first: a pointer already where the click goes would make the
        # click's synchronous move wait for a motion that never comes.
        desktop.xdo('mousemove', '--sync', 1, 1)
        start = time.monotonic()
        tab.click()
        while not ok_enabled(e2e.pyatspi, app):
            if time.monotonic() - start > 60:
                raise AssertionError('編集 showed no page with the deck')
            time.sleep(0.01)
        return (time.monotonic() - start) * 1000
    finally:
        test.tearDown()


def main():
    if len(sys.argv) < 5:
        print(__doc__)
        return 2
    before = (os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]))
    after = (os.path.abspath(sys.argv[3]), os.path.abspath(sys.argv[4]))
    runs = int(sys.argv[5]) if len(sys.argv) > 5 else 7
    os.environ['QT_QPA_PLATFORM'] = 'xcb'
    os.environ.pop('AT_SPI_BUS_ADDRESS', None)
    desktop.start_accessibility_bus()
    import pyatspi
    import e2e
    e2e.pyatspi = pyatspi
    e2e.PAGE = after[1]
    # A warm-up run of each, for the caches.
    one_run(e2e, *before)
    one_run(e2e, *after)
    times = {'before': [], 'after': []}
    for i in range(runs):
        times['before'].append(one_run(e2e, *before))
        times['after'].append(one_run(e2e, *after))
        print('run %d: before %.0f ms, after %.0f ms' % (i + 1, times['before'][-1], times['after'][-1]),
              file=sys.stderr)
    b, a = statistics.median(times['before']), statistics.median(times['after'])
    print('編集 to a page showing the deck, medians of %d runs each, alternating:' % runs)
    print('  before  %6.1f ms  (%s)' % (b, before[0]))
    print('  after   %6.1f ms  (%s)' % (a, after[0]))
    print('  ratio %.2f' % (a / b))
    return 0


if __name__ == '__main__':
    sys.exit(main())
