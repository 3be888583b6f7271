"""The game's files for end-to-end runs, built here on their own (not with the
program's code), so that what the editor writes can be compared byte for byte."""
import os
import shutil
from collections import Counter
from pathlib import Path

ALPHABET = '0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ'


def sjis(text):
    return text.encode('cp932')


class SaveFile:
    """A save file in the game's 136-line layout."""

    def __init__(self):
        self.game_lines = [b'game line %d \x01\x02\xfe' % i for i in range(28)]
        self.game_lines[11] = b'Player'
        self.stock = [i % 4 for i in range(600)]
        self.stock_second = [0xA0 + i % 7 for i in range(600)]
        self.active = 0
        self.names = [b'Deck %d' % (s + 1) for s in range(53)]
        self.cards = [[] for _ in range(53)]  # card numbers 1-600, one per copy, in file order

    def fill(self, slot, first):
        """40 cards: first .. first+12 three times each, then first+13 once."""
        self.cards[slot] = [first + i // 3 for i in range(39)] + [first + 13]

    def bytes(self, sort_cards=True):
        out = b''.join(line + b'\r\n' for line in self.game_lines)
        out += b''.join(bytes((self.stock[i], self.stock_second[i])) for i in range(600)) + b'\r\n'
        out += bytes((self.active, 0x37)) + b'\r\n'
        for name, cards in zip(self.names, self.cards):
            body = b''.join(bytes((n % 100, n // 100)) for n in (sorted(cards) if sort_cards else cards))
            out += name + b'\r\n' + body + b'\0' * (80 - len(body)) + b'\r\n'
        return out


def code_of(cards):
    """The DAZO Rozi of a deck holding these card numbers."""
    counts = Counter(cards)
    code = '0'
    for n in sorted(counts):
        value = (n - 1) * 3 + min(counts[n], 3) - 1
        code += ALPHABET[value // 62] + ALPHABET[value % 62]
    return code


def card_list_text(cards):
    counts = Counter(cards)
    return ''.join('Card%d x %d\n' % (n, counts[n]) for n in sorted(counts))


def card_catalogue():
    """list.xml with 600 cards named Card1 .. Card600."""
    cards = ''.join('<card>\r\n<no>%d</no>\r\n<name>Card%d</name>\r\n</card>\r\n' % (n, n) for n in range(1, 601))
    return ('<?xml version="1.0"?>\r\n<cards>\r\n' + cards + '</cards>\r\n').encode('ascii')


class GameFolder:
    """<root>/File/Save.dat, <root>/File/BackUp/, <root>/DeckEditor/ (the working folder)."""

    def __init__(self, root, save_bytes, page_source):
        self.root = root
        self.work = os.path.join(root, 'DeckEditor')
        self.save_path = os.path.join(root, 'File', 'Save.dat')
        os.makedirs(os.path.join(root, 'File', 'BackUp'))
        os.makedirs(self.work)
        self.write_save(save_bytes)
        Path(self.work, 'list.xml').write_bytes(card_catalogue())
        shutil.copyfile(page_source, os.path.join(self.work, 'deckmaker.htm'))

    def write_save(self, data):
        Path(self.save_path).write_bytes(data)

    def read_save(self):
        return Path(self.save_path).read_bytes()
