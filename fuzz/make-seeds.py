#!/usr/bin/env python3
"""Writes the seed corpora under fuzz/corpus/ (all data invented here).

    fuzz/make-seeds.py [--list data/list.xml] [--demo-save PATH]

Seeds for savedata (save files: valid, odd and broken), decode (deck codes),
catalogue (card-list fragments, a slice of data/list.xml) and export (format
texts). The three default formats are written by a tiny C++ program compiled
with g++ when it is there, so that they are exactly the program's own bytes.
--demo-save adds a save file made by tools/make-demo.
"""
import argparse
import os
import shutil
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
CORPUS = os.path.join(HERE, "corpus")
ALPHABET = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"


def put(target, name, data):
    if isinstance(data, str):
        data = data.encode("cp932")
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def default_name(slot):
    return ("デッキ%02d" % (slot + 1)).encode("cp932")


def card_line(cards):
    """cards: card numbers, one per copy, written in the given order."""
    out = bytearray()
    for n in cards[:40]:
        out += bytes([n % 100, n // 100])
    out += bytes(2 * (40 - len(cards[:40])))
    return bytes(out)


def save_file(player="ミナセ".encode("cp932"), stock=None, stock_second=0, active=0,
              active_second=0, decks=None, names=None, deck_slots=53, tail=b""):
    lines = []
    for line in range(28):
        lines.append(player if line == 11 else b"GAME LINE %d" % line)
    stock = stock or [2] * 600
    lines.append(b"".join(bytes([s, stock_second]) for s in stock))
    lines.append(bytes([active, active_second]))
    decks = decks or {}
    names = names or {}
    for slot in range(deck_slots):
        lines.append(names.get(slot, default_name(slot)))
        lines.append(decks.get(slot, card_line([])))
    return b"".join(l + b"\r\n" for l in lines) + tail


def code_of(counts):
    out = "0"
    for card in sorted(counts):
        v = card * 3 + min(counts[card], 3) - 1
        out += ALPHABET[v // 62] + ALPHABET[v % 62]
    return out


def savedata_seeds(demo):
    full = card_line(sorted([1, 1, 1, 2, 2, 50, 99, 101, 101, 150, 151, 300, 301, 450, 451, 550, 551, 600] +
                            list(range(10, 32))))
    decks = {0: full, 1: card_line([5, 5, 120]), 50: card_line([7] * 40), 51: card_line([98, 137])}
    names = {0: "紅蓮速攻".encode("cp932"), 1: b"", 50: "訓練".encode("cp932")}
    put("savedata", "valid", save_file(decks=decks, names=names))
    # The same with deck operations appended: 4 groups (kind, a, b, c), then
    # their number. Delete, store, duplicate, swap, rename.
    ops = bytes([0, 1, 0, 0,  1, 2, 0, 7,  2, 3, 0, 0,  3, 0, 3, 0,  4, 1, 40, 0x41])
    put("savedata", "valid-ops", save_file(decks=decks, names=names, tail=ops + bytes([5])))
    put("savedata", "swap-training", save_file(decks=decks, names=names, active=50,
                                               tail=bytes([3, 50, 1, 0,  0, 50, 0, 0,  2, 51, 50, 0, 3])))
    put("savedata", "rename-breaks", save_file(decks=decks, tail=bytes([4, 0, 200, 0x82,  4, 1, 44, 13, 2])))
    # Only the active deck is complete: deleting it is refused.
    put("savedata", "last-deck", save_file(decks={3: full}, active=3, tail=bytes([0, 3, 0, 0, 1])))
    # Stock at the limit: emptying a deck back into it fails part way.
    put("savedata", "stock-full", save_file(decks=decks, stock=[99] * 600, active=1,
                                            tail=bytes([0, 0, 0, 0,  2, 1, 0, 0, 2])))
    # The game's own second bytes of the stock and active-deck entries as CR
    # and LF, next to counts that deck operations change; no operations.
    put("savedata", "game-bytes-cr-lf",
        save_file(decks=decks, names=names, stock=[12, 9, 11, 14] * 150, stock_second=10, active_second=13)
        .replace(b"\x0b\x0a", b"\x0b\x0d") + bytes([0]))
    put("savedata", "empty-stock", save_file(decks=decks, stock=[0] * 600, tail=bytes([1, 4, 0, 9, 1])))
    # Card lines not in written form: unsorted, 150/0, 601, 0/0 between cards,
    # more than three copies; names of 40 bytes and with a zero byte; extra lines.
    odd = {0: bytes([7, 0, 150, 0, 1, 6, 0, 0, 23, 1, 0, 6] + [5, 0] * 34),
           2: bytes([9, 0] * 40), 3: bytes([200, 200] * 40)}
    put("savedata", "odd-lines", save_file(decks=odd, names={0: b"N" * 40, 1: b"ab\x00cd", 2: b"\r\x85"},
                                           tail=b"LINE 136\r\nLINE 137\r\n"))
    # Ends after slot 49: the training decks get default names and no cards.
    put("savedata", "short", save_file(decks=decks, deck_slots=50))
    # The last card line without its CR LF.
    put("savedata", "unterminated", save_file(decks=decks)[:-2])
    # Not the layout: too few lines, a short stock line, a long line 29.
    put("savedata", "too-few-lines", b"".join(b"L%d\r\n" % i for i in range(29)))
    put("savedata", "short-stock", b"".join(b"GAME LINE %d\r\n" % i for i in range(28)) + b"\x01\x00" * 10 + b"\r\n\x00\x00\r\n")
    put("savedata", "long-active", save_file().replace(b"\r\n\x00\x00\r\n", b"\r\n\x00\x00\x00\r\n", 1))
    put("savedata", "empty", b"")
    if demo:
        with open(demo, "rb") as f:
            put("savedata", "demo", f.read())


def decode_seeds():
    put("decode", "empty", "")
    put("decode", "zero", "0")
    put("decode", "one-card", code_of({0: 1}))
    put("decode", "three-copies", code_of({4: 3, 599: 3}))
    counts = {i * 13 % 600: 1 + i % 3 for i in range(20)}
    put("decode", "forty", code_of(counts))
    put("decode", "last-entry", "0" + ALPHABET[1799 // 62] + ALPHABET[1799 % 62])
    put("decode", "out-of-range", "0ZZtd" + ALPHABET[1800 // 62] + ALPHABET[1800 % 62])
    put("decode", "unsorted-duplicates", "0" + "0a" + "01" + "0a" + "05" + "00")
    put("decode", "odd-length", code_of({1: 2}) + "7")
    put("decode", "bad-characters", b"0!a01-_ 0\x00\xff12")
    put("decode", "no-leading-zero", "X0102")


def catalogue_seeds(list_xml):
    with open(list_xml, "rb") as f:
        data = f.read()
    # The first dozen cards, cut at a card's end.
    end = 0
    for _ in range(12):
        end = data.index(b"</card>", end) + len(b"</card>")
    put("catalogue", "list-head", data[:end] + b"\r\n</cardlist>\r\n")
    start = data.index(b"<no>598<")
    put("catalogue", "list-tail", data[start:])
    put("catalogue", "empty", b"")
    put("catalogue", "one-card", b"<no>3</no>\n<name>Gale</name>\n<ap>1200</ap>\n")
    put("catalogue", "numbers", b"<no>1</no> <ap>-5</ap> <dp>4294967296</dp> <cp>+12abc</cp>\n"
                                b"<no>2</no> <ap>99999999999999999999</ap> <dp>-2147483649</dp> <cp></cp>\n"
                                b"<no>600</no>\t<ap>\v7</ap>\f<dp>-</dp>\r<cp>x<cp>3\n")
    put("catalogue", "texts", b"<name>before_no</name>\n<no>5</no><ap>1</ap>\n<name>no_close\n"
                              b"<name>\n<race>a</race>b</race>\n</attribute>x<attribute>y\n"
                              b"<special>Two words</special>\n<name>\x82\xa0\x00z</name>\n")
    put("catalogue", "bad-numbers", b"<no>0</no>\n<name>dropped</name>\n<no>601</no>\n<ap>9</ap>\n"
                                    b"<no>-1</no>\n<no>abc</no>\n<cp>1</cp>\n<no>600</no>\n<name>kept</name>\n")
    put("catalogue", "merged", b"<no>7</no>\n<name>a</name>\n<no>7</no>\n<race>b</race>\n<no>7</no><name>c</name>\n")


def export_seeds():
    # Odd format texts; the defaults come from default_formats().
    put("export", "empty", b"")
    put("export", "all-placeholders",
        b"\\globalheader_start\r\n\\player_name \\ver \\player_name\r\n\\globalheader_end\r\n"
        b"\\header_start\r\n\\deck_name \\deck_code \\magics \\creatures \\player_name\r\n\\header_end\r\n"
        b"\\creature_start\r\n\\card_no \\CARD_NO \\card_name \\cp \\ap \\dp \\attribute \\race \\sp \\cards\r\n"
        b"\\creature_end\r\n\\separator_start\r\n--\r\n\\separator_end\r\n"
        b"\\magic_start\r\n\\card_no \\CARD_NO \\card_name \\cp \\ap \\dp \\attribute \\race \\sp \\cards\r\n"
        b"\\magic_end\r\n\\footer_start\r\n\\footer_end")
    put("export", "no-markers", b"just some text\nwith lines\n")
    put("export", "end-before-start", b"\\creature_end\n\\creature_start\nX\n\\header_end")
    put("export", "start-at-end", b"abc\\footer_start")
    put("export", "lone-cr-nul", b"\\header_start\r\r\n\\deck_name\r\x00\\header_end")
    # Past the 10240-byte limit: the CR LF after the y's is the 10241st byte
    body = b"\\creature_start\r\n" + b"x" * 9 + b"\r\n"
    # (the two CR LF before it count one byte each once read).
    body += b"\\card_name \\cards "
    body += b"y" * (10242 - len(body)) + b"\r\n\\creature_end\r\n"
    put("export", "over-limit", body)
    put("export", "markers-only", b"\\globalheader_start\\globalheader_end\\header_start\\header_end"
                                  b"\\creature_start\\creature_end\\separator_start\\separator_end"
                                  b"\\magic_start\\magic_end\\footer_start\\footer_end")


def default_formats():
    cxx = shutil.which("g++")
    if not cxx:
        print("g++ not found: default format seeds not rewritten")
        return
    with tempfile.TemporaryDirectory() as tmp:
        main = os.path.join(tmp, "main.cpp")
        with open(main, "w") as f:
            f.write('#include "export/DeckListExporter.h"\n#include <cstdio>\n#include <cstdlib>\n'
                    'int main(int, char** argv) {\n'
                    '  const std::string& t = DefaultFormatText(std::atoi(argv[1]));\n'
                    '  for (char c : t) { if (c == \'\\n\') std::fputc(\'\\r\', stdout); std::fputc(c, stdout); }\n'
                    '}\n')
        exe = os.path.join(tmp, "formats")
        subprocess.run([cxx, "-std=c++17", "-finput-charset=UTF-8", "-fexec-charset=CP932",
                        "-I", os.path.join(ROOT, "src"), main,
                        os.path.join(ROOT, "src", "export", "DefaultFormats.cpp"), "-o", exe], check=True)
        for n in (1, 2, 3):
            out = subprocess.run([exe, str(n)], check=True, stdout=subprocess.PIPE).stdout
            put("export", "default-format%d" % n, out)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--list", default=os.path.join(ROOT, "data", "list.xml"))
    parser.add_argument("--demo-save")
    args = parser.parse_args()
    savedata_seeds(args.demo_save)
    decode_seeds()
    catalogue_seeds(args.list)
    export_seeds()
    default_formats()


if __name__ == "__main__":
    main()
