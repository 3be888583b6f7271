"""The deck page told the player's cards, through the real window: the page
shows what the stock allows, refuses what it does not, and what ok stores
is what the command line stores."""
import os

import e2e
from desktop import type_text, wait_until
from gamefiles import GameFolder, code_of


class Collection(e2e.EditorTest):
    CARD = 12  # the stock holds one spare copy of it

    def setUp(self):
        super().setUp()
        # The web engine builds the page's accessibility tree only when asked
        # to; a screen reader asks, this test asks through its flag.
        self.flags = os.environ.get('QTWEBENGINE_CHROMIUM_FLAGS')
        os.environ['QTWEBENGINE_CHROMIUM_FLAGS'] = '--force-renderer-accessibility'

    def tearDown(self):
        super().tearDown()
        os.environ.pop('QTWEBENGINE_CHROMIUM_FLAGS')
        if self.flags is not None:
            os.environ['QTWEBENGINE_CHROMIUM_FLAGS'] = self.flags

    def page_node(self, role, name):
        """The deck page's node of this role and name in the browser window,
        outside the card lists (600 rows are slow to read)."""
        def walk(acc):
            for c in acc:
                if c is not None:
                    yield c
                    if c.getRoleName() != 'list':
                        yield from walk(c)
        for app in e2e.pyatspi.Registry.getDesktop(0):
            if app is None or app.get_process_id() == self.editor.process.pid:
                continue
            app.clearCache()
            for window in app:
                if window is not None and window.name == 'Deck 3':
                    found = next((n for n in walk(window) if n.getRoleName() == role and n.name == name), None)
                    return e2e.Node(found) if found else None
        return None

    def card_row(self):
        """The card list's row of CARD, once the search shows it alone."""
        cards = self.page_node('list', 'カード一覧')
        # Counted first: reading all 600 rows takes seconds on a busy machine.
        if not cards or cards.acc.childCount != 1:
            return None
        row = e2e.Node(cards.acc[0])
        return row if row.name.startswith('No.%d ' % self.CARD) else None

    def plus_of(self, row):
        return next(e2e.Node(c) for c in e2e.descendants(row.acc) if c.name == '1枚入れる')

    def test_the_page_allows_the_copies_the_player_owns_and_ok_stores_them_as_edit_does(self):
        self.save_file.stock[self.CARD - 1] = 1
        self.start()
        self.main().radios_a[2].click()  # Deck 3, empty
        self.until(lambda: self.main().status.text == '0', 'deck 3 current')
        self.choose_tab('編集')
        wait_until(lambda: self.browser_ok('Deck 3'), 60, "the browser window's ok")

        # The page's own search shows the card alone; its row says 1 is usable.
        def search_focused():
            # Clicked again until it has the keyboard: the page may still move
            # it, and keys pressed before would go elsewhere.
            box = self.page_node('entry', 'カード検索') or self.page_node('text', 'カード検索')
            if box and not box.focused:
                box.click()
            return box and box.focused
        self.until(search_focused, 'the page search box to take the keyboard', 60)
        type_text('no.%d' % self.CARD)
        row = self.until(self.card_row, 'the card alone in the list', 60)
        self.assertIn('デッキに0枚 使えるのは1枚', row.name)

        self.plus_of(row).click()
        self.until(lambda: 'デッキに1枚' in self.card_row().name, 'one copy in the deck')
        plus = self.plus_of(self.card_row())
        self.assertFalse(plus.enabled, 'a second copy offered')
        plus.click()  # refused: the stock has no second copy; ok would store two

        expected = code_of([self.CARD])
        self.browser_ok('Deck 3').click()
        self.until(lambda: self.main().status.text == expected, 'the deck stored')
        self.assertTrue(self.editor.no_message_box(), 'ok complained')
        cli_root = os.path.join(self.root, 'cli')  # a game folder of its own, at the start's save file
        GameFolder(cli_root, self.save_file.bytes(), e2e.PAGE)
        self.saves(self.cli_writes(cli_root, 'edit', '3', expected))
