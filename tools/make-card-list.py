#!/usr/bin/env python3
"""Writes data/list.xml, the demo card list: 600 invented cards.

Not needed to build or test: its output is committed. Run it again only to
change the demo cards:  python3 tools/make-card-list.py > data/list.xml

The list is written the way the editor reads it: one element per word, values
without whitespace, Shift-JIS (code page 932) bytes, CR LF line ends.
Card numbers 101-150, 251-300, 401-450 and 551-600 are magic cards, the rest
creatures; that split belongs to the game, not to this file.
"""
import random
import sys

# Each creature prefix carries its element, each noun its race.
ELEMENTS = [
    ("紅蓮の", "火"), ("炎舞の", "火"), ("灰燼の", "火"), ("陽炎の", "火"),
    ("蒼氷の", "水"), ("潮騒の", "水"), ("霧雨の", "水"), ("深淵の", "水"),
    ("翠風の", "風"), ("天空の", "風"), ("疾風の", "風"),
    ("砂塵の", "地"), ("鋼鉄の", "地"), ("深森の", "地"), ("岩窟の", "地"),
    ("白銀の", "光"), ("黄金の", "光"), ("暁の", "光"),
    ("漆黒の", "闇"), ("月影の", "闇"),
]
NOUNS = [
    ("騎士", "人間"), ("剣士", "人間"), ("弓兵", "人間"), ("魔導師", "人間"),
    ("聖女", "人間"), ("忍び", "人間"), ("鍛冶師", "人間"),
    ("飛竜", "竜族"), ("古竜", "竜族"), ("大蛇", "竜族"),
    ("狼", "獣"), ("獅子", "獣"), ("狐", "獣"), ("番犬", "獣"),
    ("大鷲", "鳥"),
    ("巨人", "巨人"),
    ("妖精", "妖精"),
    ("亡霊", "不死"),
    ("守護像", "機兵"), ("からくり人形", "機兵"),
]
SPELL_PREFIXES = [
    "大いなる", "秘められた", "禁じられた", "聖なる", "呪われた",
    "束の間の", "果てなき", "静寂の", "烈火の", "清流の",
]
SPELL_NOUNS = [
    "祈り", "盾", "槍", "雨", "嵐", "契約", "封印", "結界", "鼓動", "目覚め",
    "囁き", "裁き", "抱擁", "咆哮", "守り", "導き", "贈り物", "罠", "鎖", "鏡",
]
SPELL_KINDS = ["通常魔法", "永続魔法", "装備魔法", "即時魔法"]
SPELL_ELEMENTS = {
    "烈火の": "火", "清流の": "水", "聖なる": "光", "呪われた": "闇",
}

CREATURE_SPECIALS = [
    "召喚時、相手クリーチャー1体に{n}ダメージを与える。",
    "攻撃時、このカードのAPを{n}上げる。",
    "防御時、受けるダメージを{n}減らす。",
    "場にいる限り、味方の{race}のAPを{n}上げる。",
    "破壊された時、相手のクリーチャー全てに{n}ダメージを与える。",
    "召喚時、自分のHPを{n}回復する。",
    "このカードは相手の魔法の対象にならない。",
    "先制攻撃。戦闘で相手より先にダメージを与える。",
    "1ターンに2回攻撃できる。",
    "召喚時、カードを1枚引く。",
]
SPELL_SPECIALS = {
    "通常魔法": [
        "相手クリーチャー1体に{n}ダメージを与える。",
        "自分のHPを{n}回復する。",
        "カードを2枚引き、手札を1枚捨てる。",
        "CPが{c}以下のクリーチャー1体を破壊する。",
    ],
    "永続魔法": [
        "場にある限り、味方クリーチャー全てのDPを{n}上げる。",
        "場にある限り、毎ターン自分のHPを{n}回復する。",
        "場にある限り、相手の魔法のCPを1上げる。",
    ],
    "装備魔法": [
        "装備したクリーチャーのAPを{n}上げる。",
        "装備したクリーチャーのDPを{n}上げる。",
        "装備したクリーチャーは破壊されない。次のターン終了時に墓地へ送る。",
    ],
    "即時魔法": [
        "相手の攻撃を1回だけ無効にする。",
        "相手の魔法1枚の効果を打ち消す。",
        "戦闘中の味方クリーチャーのAPを{n}上げる。",
    ],
}
NO_SPECIAL = "なし"


def is_magic(number):
    return (number - 1) % 150 >= 100


def main():
    rng = random.Random(20240601)
    creatures = [(p, e, n, r) for p, e in ELEMENTS for n, r in NOUNS]
    spells = [(p, n) for p in SPELL_PREFIXES for n in SPELL_NOUNS]
    rng.shuffle(creatures)
    rng.shuffle(spells)
    assert len(creatures) == 400 and len(spells) == 200

    lines = ['<?xml version="1.0" encoding="Shift_JIS"?>', "<cardlist>"]
    names = set()
    for number in range(1, 601):
        if is_magic(number):
            prefix, noun = spells.pop()
            name = prefix + noun
            kind = SPELL_KINDS[rng.randrange(len(SPELL_KINDS))]
            cp = rng.randint(1, 5)
            ap = dp = 0
            attribute = SPELL_ELEMENTS.get(prefix, "無")
            race = kind
            special = rng.choice(SPELL_SPECIALS[kind]).format(
                n=rng.choice([100, 200, 300, 500]), c=rng.randint(2, 5))
        else:
            prefix, attribute, noun, race = creatures.pop()
            name = prefix + noun
            cp = rng.randint(1, 8)
            ap = max(100, cp * 300 + rng.randint(-3, 4) * 50)
            dp = max(100, cp * 250 + rng.randint(-3, 4) * 50)
            if rng.random() < 0.3:
                special = NO_SPECIAL
            else:
                special = rng.choice(CREATURE_SPECIALS).format(
                    n=rng.choice([100, 200, 300]), race=race)
        assert name not in names
        names.add(name)
        for value in (name, attribute, race, special):
            assert value and not any(c.isspace() for c in value) and "<" not in value
        lines += [
            "  <card>",
            "    <no>%d</no>" % number,
            "    <name>%s</name>" % name,
            "    <attribute>%s</attribute>" % attribute,
            "    <race>%s</race>" % race,
            "    <cp>%d</cp>" % cp,
            "    <ap>%d</ap>" % ap,
            "    <dp>%d</dp>" % dp,
            "    <special>%s</special>" % special,
            "  </card>",
        ]
    lines.append("</cardlist>")
    sys.stdout.buffer.write(("\r\n".join(lines) + "\r\n").encode("cp932"))


if __name__ == "__main__":
    main()
