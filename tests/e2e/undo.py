"""End-to-end tests of undo and redo in the main window (run by e2e.py)."""
import time

from desktop import key, type_text
from e2e import EditorTest
from gamefiles import sjis


class Undo(EditorTest):
    def says(self, text):
        self.until(lambda: self.main().status.text == text, text)

    def test_delete_undone_by_key_then_redone_from_a_rows_menu(self):
        self.start()
        self.main().radios_a[1].click()
        self.choose_tab('消去')
        self.main().ok.click()
        self.until(lambda: self.main().row_texts()[1] == 'デッキ02', 'deck 2 deleted')
        key('ctrl+z')
        self.says('元に戻しました: 消去 (デッキ 2)')
        self.saves()

        self.main().rows[5].click(button=3)
        time.sleep(0.3)  # the menu opens on the next event round
        key('Down', 'Return')  # its first entry that can be taken: redo, since nothing is left to undo
        self.says('やり直しました: 消去 (デッキ 2)')
        for n in self.save_file.cards[1]:
            self.save_file.stock[n - 1] += 1
        self.save_file.cards[1] = []
        self.save_file.names[1] = sjis('デッキ02')
        self.saves()

    def test_typing_in_a_row_is_undone_before_the_rename_it_made(self):
        self.start()
        for row, text in ((2, 'X'), (4, ''), (2, 'Y')):  # leaving a row makes its rename one step
            self.main().rows[row].click()
            key('End')
            type_text(text)
        key('ctrl+z')
        self.until(lambda: self.main().row_texts()[2] == 'Deck 3X', 'the typing undone')
        steps = [('ctrl+z', '元に戻しました: 名前変更 (デッキ 3)', 'Deck 3'),
                 ('ctrl+shift+z', 'やり直しました: 名前変更 (デッキ 3)', 'Deck 3X'),
                 ('ctrl+y', 'やり直せる変更はないです。', 'Deck 3X'),
                 ('ctrl+z', '元に戻しました: 名前変更 (デッキ 3)', 'Deck 3')]
        for keys, said, name in steps:
            key(keys)
            self.says(said)
            self.assertEqual(self.main().row_texts()[2], name)
        # Back where the file is: nothing to ask at the end.
        key('Escape')
        self.assertEqual(self.editor.wait_for_exit(), 0, 'the editor asked or stayed open')
