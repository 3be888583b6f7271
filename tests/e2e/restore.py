"""End-to-end tests of 復元: restoring through the window, with the mouse and
the keyboard, writes what the command line's restore and restore-all write
for the same choices, byte for byte."""
import os
import shutil
from pathlib import Path

import e2e
from desktop import key
from gamefiles import card_list_text, sjis

BACKUP = 'Save2612011200.dat'  # 2026/12/01 12:00
UNREADABLE = 'Save2612051200.dat'


class Restore(e2e.EditorTest):
    def setUp(self):
        super().setUp()
        self.old = e2e.SaveFile()
        self.old.fill(0, 1)
        self.old.game_lines[11] = b'Last week'
        self.old.names[3] = sjis('先週のデッキ')
        self.old.cards[3] = [7, 7, 7, 20, 30, 30, 30]  # the stock holds one card 30 now
        self.old.stock[0] = 9

    def start_with_backups(self):
        """The editor with two backups of our own beside the start's (read
        when 復元 is chosen), a copy of the game folder for the command line,
        and the window on 復元 with the older backup chosen by keyboard."""
        self.start()
        backups = Path(self.root, 'File', 'BackUp')
        started = os.listdir(backups)[0]
        (backups / BACKUP).write_bytes(self.old.bytes())
        (backups / UNREADABLE).write_bytes(b'not a save file')
        self.cli_root = self.root + '-cli'
        shutil.copytree(self.root, self.cli_root)
        self.addCleanup(shutil.rmtree, self.cli_root, True)
        self.main().radios_a[3].click()
        self.choose_tab('復元')
        now = '20%s/%s/%s %s:%s' % (started[4:6], started[6:8], started[8:10], started[10:12], started[12:14])
        # A screen reader hears each entry; the unreadable one says so.
        self.assertEqual([c.name for c in e2e.descendants(self.combo().acc) if c.getRoleName() == 'list item'],
                         [now, '2026/12/05 12:00 読めません', '2026/12/01 12:00'])
        self.opens_menu(self.combo().click)
        key('End', 'Return')  # in the opened list
        self.until(lambda: self.combo().name == '2026/12/01 12:00', 'the older backup chosen')
        key('Up')  # the unreadable one cannot be chosen: the arrow passes it
        self.until(lambda: self.combo().name == now, 'the newest backup chosen')
        key('Down')
        self.until(lambda: self.combo().name == '2026/12/01 12:00', 'the older backup chosen again')
        self.assertEqual(self.main().card_list.text, '先週のデッキ\n\n' + card_list_text(self.old.cards[3]))

    def combo(self):
        return next(n for n in self.main().nodes if n.role == 'combo box')

    def test_one_deck(self):
        self.start_with_backups()
        self.main().ok.click()
        text, buttons = self.editor.message_box()
        self.assertEqual(text, 'Card30 が足りないみたいです\n')
        buttons['OK'].click()
        self.until(lambda: self.main().row_texts()[3] == '先週のデッキ', 'the deck restored')
        self.saves(self.cli_writes(self.cli_root, 'restore', '4', BACKUP))

    def test_whole_save_after_the_question(self):
        self.start_with_backups()
        next(n for n in self.main().nodes if n.name == 'セーブデータを丸ごと復元').click()
        self.main().ok.click()
        # (Its text and its default no are in tests/app; no on a real box in e2e.py.)
        self.editor.message_box()[1]['はい'].click()
        self.until(lambda: self.main().row_texts()[0] == 'Deck 1', 'the whole save restored')
        self.saves(self.cli_writes(self.cli_root, 'restore-all', BACKUP))
        # Undone as one step that names the whole save, not the current deck.
        key('ctrl+z')
        self.until(lambda: self.main().status.text == '元に戻しました: 復元 (セーブデータ全体)', 'the restore undone')
        self.assertEqual(self.main().row_texts()[0], e2e.FIRST_DECK)
