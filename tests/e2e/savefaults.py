"""End-to-end tests of SAVE meeting a file with shifted lines, another
program's turn to write, and a backup that cannot be written (run by e2e.py)."""
import fcntl
import os
import shutil
import stat
import subprocess

import e2e
from desktop import key
from e2e import EditorTest

DAMAGED = 'セーブデータが壊れているみたいです…。デッキの行がずれているかもしれません。'


class SaveFaults(EditorTest):
    def answers(self, buttons_name=None):
        """Closes the open message box: by Return on its default, or by a button."""
        text, buttons = self.editor.message_box()
        if buttons_name:
            buttons[buttons_name].click()
        else:
            self.until(lambda: self.editor.focused_button() == 'いいえ', 'the question to take the keyboard at no')
            key('Return')
        self.until(self.editor.no_message_box, 'the message box to close')
        return text

    def test_a_file_with_shifted_lines_is_said_once_and_saved_only_when_agreed(self):
        good = self.save_file.bytes()
        lines = good.split(b'\r\n')
        lines[35] = lines[35][:-1]  # deck 3's card line a byte short: the lines after it shift
        damaged = b'\r\n'.join(lines)
        self.start(damaged, settle=False)
        self.assertEqual(self.answers('OK'), DAMAGED)
        self.until(lambda: self.main().status.text.startswith('0'), 'the main window at rest')
        self.main().save.click()
        self.assertEqual(self.answers(), DAMAGED + '\nそれでもセーブしちゃっていいですか？')
        self.assertEqual(self.folder.read_save(), damaged)
        self.main().save.click()
        self.answers('はい')
        self.until(lambda: self.folder.read_save() == good, 'the file written with whole lines')
        self.main().save.click()  # the file is whole now: nothing to ask
        self.until(lambda: self.main().status.text.startswith('0'), 'SAVE done')
        self.assertTrue(self.editor.no_message_box())

    def test_save_waits_a_while_for_another_programs_turn_then_says_so(self):
        self.start()
        self.replace_row_text(0, 'Mine')
        holder = os.open(os.path.join(self.folder.root, 'File', 'Save.dat.lock'), os.O_RDWR | os.O_CREAT, 0o600)
        try:
            fcntl.flock(holder, fcntl.LOCK_EX)
            self.main().save.click()
            # The window answers while it waits: its status line says what it is doing.
            self.until(lambda: self.main().status.text == 'セーブ中...', 'the window to say it is saving')
            self.assertEqual(self.answers('OK'), 'ほかのプログラムがセーブ中みたいです。書き込みはやめておきますね。')
            self.assertEqual(self.folder.read_save(), self.save_file.bytes())
        finally:
            os.close(holder)
        self.save_file.names[0] = b'Mine'  # the edit stayed in memory
        self.saves()

    def test_a_backup_that_cannot_be_written_is_named(self):
        # A full disk is a mount in a namespace of the editor's own: that needs
        # root, and a root folder that is a mount point (not so in a chroot).
        probe = ['unshare', '--mount', '--propagation', 'private', 'true']
        if os.geteuid() != 0 or not shutil.which('unshare') or subprocess.run(probe, capture_output=True).returncode:
            self.skipTest('no mount namespace of its own can be made here')
        # The editor in a mount namespace of its own, with a backup folder on a full disk.
        wrapper = os.path.join(self.root, 'on-a-full-disk')
        with open(wrapper, 'w') as script:
            script.write('#!/bin/sh\nexec unshare --mount --propagation private sh -c '
                         '\'mount -t tmpfs -o size=4k tmpfs ../File/BackUp && exec "$0"\' "%s"\n' % e2e.EDITOR)
        os.chmod(wrapper, stat.S_IRWXU)
        self.start(program=wrapper, settle=False)
        self.assertEqual(self.answers('OK'),
                         'バックアップを書き込めなかったみたいです…。ディスクの空きと書き込みの権限を見てみてくださいね。')
        self.until(lambda: self.main().status.text.startswith('0'), 'the main window at rest')
        self.replace_row_text(0, 'Mine')
        self.save_file.names[0] = b'Mine'
        self.saves()
