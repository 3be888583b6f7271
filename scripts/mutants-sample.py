#!/usr/bin/env python3
"""Mutants made by operators over the core's sources, for scripts/mutants.sh --sample.

  mutants-sample.py draw ROOT EQUIVALENT SEED N OUT   writes the drawn mutants to OUT
                                                      (JSON, one a line) and prints
                                                      "candidates C equivalent-passed E"
  mutants-sample.py apply OUT ID TREE                 plants mutant ID in the copy TREE
  mutants-sample.py show ROOT ID                      prints a mutant as an entry of the
                                                      equivalent file

A mutant is named by a hash of its file, the text of its line, the operator
and the line it becomes, so the name stays when other lines move. The draw
ranks every candidate by a hash of the seed and its name and takes the first
N that are not recorded as equivalent: a seed draws the same mutants as long
as their lines are unchanged.
"""
import hashlib
import json
import os
import re
import sys

# The core: every folder under src/ but the Qt ones.
QT_FOLDERS = {"app", "browserwindow", "browserhost", "qttext", "resources"}
CONTROL = {"if", "while", "for", "switch", "return", "sizeof", "catch", "static_assert", "decltype",
           "alignof", "noexcept", "defined", "delete", "new", "throw", "case", "else", "do"}


def core_files(root):
    out = []
    for folder in sorted(os.listdir(os.path.join(root, "src"))):
        path = os.path.join(root, "src", folder)
        if folder in QT_FOLDERS or not os.path.isdir(path):
            continue
        for name in sorted(os.listdir(path)):
            if name.endswith((".cpp", ".h")) and name != "main.cpp":
                out.append(f"src/{folder}/{name}")
    return out


def masked(lines):
    """Each line with comments, string and character literals blanked, so that
    operators are only looked for in code."""
    out, in_block = [], False
    for line in lines:
        chars, i = list(line), 0
        while i < len(chars):
            if in_block:
                end = line.find("*/", i)
                stop = len(chars) if end < 0 else end + 2
                chars[i:stop] = " " * (stop - i)
                in_block, i = end < 0, stop
                continue
            c = line[i]
            if line.startswith("//", i):
                chars[i:] = " " * (len(chars) - i)
                break
            if line.startswith("/*", i):
                in_block = True
                continue
            if c in "\"'":
                j = i + 1
                while j < len(line) and line[j] != c:
                    j += 2 if line[j] == "\\" else 1
                stop = min(j + 1, len(chars))
                chars[i:stop] = [c] + ["_"] * (stop - i - 2) + [c] if stop - i >= 2 else [c]
                i = stop
                continue
            i += 1
        out.append("".join(chars))
    return out


def closing(code, open_at):
    """Index of the bracket closing the one at open_at; -1 when not on this line."""
    depth = 0
    for i in range(open_at, len(code)):
        if code[i] in "([{":
            depth += 1
        elif code[i] in ")]}":
            depth -= 1
            if depth == 0:
                return i
    return -1


def top_level_commas(code, start, end):
    out, depth = [], 0
    for i in range(start, end):
        if code[i] in "([{":
            depth += 1
        elif code[i] in ")]}":
            depth -= 1
        elif code[i] == "," and depth == 0:
            out.append(i)
        elif code[i] == "<" and code[i - 1] != " ":
            return None  # template arguments: not a plain argument list
    return out


def mutations(line, code):
    """(operator, new line) pairs for one line; `code` is the line masked."""
    stripped = code.strip()
    if not stripped or stripped.startswith("#") or "static_assert" in code:
        return
    # A comparison's boundary, and equality turned around; operators are
    # written with blanks around them here, templates and shifts without.
    for m in re.finditer(r" (<=|>=|<|>|==|!=) ", code):
        swap = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}[m.group(1)]
        kind = "boundary" if m.group(1) not in ("==", "!=") else "negate"
        yield kind, line[:m.start(1)] + swap + line[m.end(1):]
    for m in re.finditer(r" (&&|\|\|) ", code):
        yield "andor", line[:m.start(1)] + ("||" if m.group(1) == "&&" else "&&") + line[m.end(1):]
    # A negated condition: if / while (C) -> (!(C)), and a ! dropped.
    for m in re.finditer(r"\b(if|while) \(", code):
        end = closing(code, m.end() - 1)
        if end > 0:
            inner = line[m.end():end]
            yield "negate", line[:m.end()] + "!(" + inner + ")" + line[end:]
    for m in re.finditer(r"(?<![!=<>])!(?!=)", code):
        yield "negate", line[:m.start()] + line[m.end():]
    # An integer constant one up or down (not in array sizes of declarations'
    # templates, which rarely compile, nor in #include lines, skipped above).
    for m in re.finditer(r"(?<![\w.])(0x[0-9A-Fa-f]+|\d+)([uUlL]*)(?![\w.])", code):
        text = m.group(1)
        value = int(text, 16) if text.startswith("0x") else int(text)
        for new in (value + 1, value - 1):
            if new < 0:
                new_text = "(-1)"
            else:
                new_text = hex(new) if text.startswith("0x") else str(new)
            yield "constant", line[:m.start(1)] + new_text + line[m.end(1):]
    # A dropped else: its block runs never.
    m = re.search(r"\belse\b", code)
    if m and re.search(r"\belse (\{|if \()", code):
        yield "else", line[:m.start()] + "if (false)" + line[m.end():]
    # A call statement removed.
    m = re.fullmatch(r"(\s*)([A-Za-z_][\w:]*(?:(?:\.|->)[A-Za-z_]\w*)*)\((.*)\);\s*", code)
    if m and m.group(2).split("::")[0] not in CONTROL and closing(code, m.end(2)) == len(code.rstrip()) - 2:
        yield "call", m.group(1) + "static_cast<void>(0);"
    # A result no longer checked.
    for m in re.finditer(r"(!?)(::)?([A-Za-z_][\w:]*(?:(?:\.|->)[A-Za-z_]\w*)*)\(", code):
        name = m.group(3)
        if name.split("::")[-1] in CONTROL:
            continue
        end = closing(code, m.end() - 1)
        if end < 0:
            continue
        call = line[m.start(2) if m.group(2) else m.start(3):end + 1]
        after = code[end + 1:]
        if m.group(1):
            yield "unchecked", line[:m.start()] + "(" + call + ", false)" + line[end + 1:]
        else:
            c = re.match(r" (==|!=|<|>=) (0|-1|nullptr|std::string::npos)\b", after)
            if c:
                # The outcome that means all went well, whatever the call said.
                good = {("==", "0"): "true", ("!=", "0"): "false", ("<", "0"): "false", (">=", "0"): "true",
                        ("==", "-1"): "false", ("!=", "-1"): "true", ("==", "nullptr"): "false",
                        ("!=", "nullptr"): "true", ("==", "std::string::npos"): "false",
                        ("!=", "std::string::npos"): "true"}.get((c.group(1), c.group(2)))
                if good:
                    yield "unchecked", line[:m.start(0)] + "(" + call + ", " + good + ")" + line[end + 1 + c.end():]
    # Two neighbouring arguments of a call swapped.
    for m in re.finditer(r"\b([A-Za-z_]\w*)\(", code):
        if m.group(1) in CONTROL:
            continue
        end = closing(code, m.end() - 1)
        if end < 0:
            continue
        commas = top_level_commas(code, m.end(), end)
        if not commas:
            continue
        bounds = [m.end() - 1] + commas + [end]
        parts = [code[bounds[k] + 1:bounds[k + 1]].strip() for k in range(len(bounds) - 1)]
        # Parameters of a declaration: swapping them changes no caller.
        if any(re.fullmatch(r"(const )?[\w:]+(<[\w:, ]*>)?[&*]* [&*]*\w+( = .*)?", p) for p in parts):
            continue
        for k in range(len(bounds) - 2):
            a = line[bounds[k] + 1:bounds[k + 1]].strip()
            b = line[bounds[k + 1] + 1:bounds[k + 2]].strip()
            if a and b and a != b:
                yield "swap", (line[:bounds[k] + 1] + (" " if k else "") + b + ", " + a + line[bounds[k + 2]:])


def candidates(root):
    out = {}
    for rel in core_files(root):
        lines = open(os.path.join(root, rel), encoding="utf-8").read().split("\n")
        seen = {}
        for number, (line, code) in enumerate(zip(lines, masked(lines))):
            # The same text twice in one file: told apart by its occurrence.
            occurrence = seen.get(line, 0)
            seen[line] = occurrence + 1
            for op, new in mutations(line, code):
                if new == line:
                    continue
                key = "\0".join([rel, line.strip(), str(occurrence), op, new.strip()])
                mid = hashlib.sha1(key.encode()).hexdigest()[:10]
                out.setdefault(mid, {"id": mid, "file": rel, "line": number + 1, "op": op,
                                     "from": line, "to": new})
    return out


def equivalents(path):
    """Ids recorded in the equivalent file: '[id]' lines, each followed by its reason."""
    ids = {}
    if not os.path.exists(path):
        return ids
    current = None
    for number, line in enumerate(open(path, encoding="utf-8"), 1):
        line = line.rstrip("\n")
        m = re.fullmatch(r"\[([0-9a-f]{10})\]", line)
        if m:
            current = m.group(1)
            ids[current] = ""
        elif line.startswith("why: ") and current:
            ids[current] = line[5:]
    missing = [i for i, why in ids.items() if not why]
    if missing:
        sys.exit(f"{path}: no reason given for {', '.join(missing)}")
    return ids


def main():
    command = sys.argv[1]
    if command == "draw":
        root, equivalent, seed, n, out = sys.argv[2:7]
        found = candidates(root)
        known = equivalents(equivalent)
        ranked = sorted(found.values(), key=lambda c: hashlib.sha1(f"{seed}:{c['id']}".encode()).hexdigest())
        drawn, passed = [], 0
        for c in ranked:
            if len(drawn) == int(n):
                break
            if c["id"] in known:
                passed += 1
                continue
            drawn.append(c)
        with open(out, "w", encoding="utf-8") as f:
            for c in drawn:
                f.write(json.dumps(c, ensure_ascii=False) + "\n")
        print(f"candidates {len(found)} equivalent-passed {passed}")
    elif command == "apply":
        out, mid, tree = sys.argv[2:5]
        c = next(json.loads(l) for l in open(out, encoding="utf-8") if json.loads(l)["id"] == mid)
        path = os.path.join(tree, c["file"])
        lines = open(path, encoding="utf-8").read().split("\n")
        if lines[c["line"] - 1] != c["from"]:
            sys.exit(f"{c['file']}:{c['line']} is no longer the line drawn")
        lines[c["line"] - 1] = c["to"]
        open(path, "w", encoding="utf-8").write("\n".join(lines))
    elif command == "show":
        root, mid = sys.argv[2:4]
        c = candidates(root)[mid]
        print(f"[{mid}]\nfile: {c['file']}\nline: {c['from'].strip()}\nop: {c['op']}\nto: {c['to'].strip()}\nwhy: ")
    else:
        sys.exit(f"unknown command {command}")


if __name__ == "__main__":
    main()
