"""End-to-end tests of undo and redo in the main window (run by e2e.py)."""
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

        self.opens_menu(lambda: self.main().rows[5].click(button=3))
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

    def test_steps_around_a_state_that_save_refuses_are_all_undone(self):
        # Card 39's stock count sits right before a 0x0A byte: deleting deck 2
        # makes it 13, CR LF inside the stock line, which SAVE refuses.
        self.save_file.stock[38] = 12
        self.save_file.stock_second[38] = 0x0A
        self.save_file.cards[1] = [39, 40]
        self.start()
        self.replace_row_text(4, 'Five')
        self.main().radios_a[1].click()
        self.choose_tab('消去')
        self.main().ok.click()
        self.until(lambda: self.main().row_texts()[1] == 'デッキ02', 'deck 2 deleted')
        self.replace_row_text(6, 'Seven')
        self.main().status.click()  # leaving the row makes its rename a step
        for label in ('名前変更 (デッキ 7)', '消去 (デッキ 2)', '名前変更 (デッキ 5)'):
            key('ctrl+z')
            self.says('元に戻しました: ' + label)
        self.assertEqual(self.main().row_texts()[1], 'Deck 2')
        key('ctrl+shift+z')
        self.says('やり直しました: 名前変更 (デッキ 5)')
        self.save_file.names[4] = b'Five'
        self.saves()
