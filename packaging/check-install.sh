#!/usr/bin/env bash
# Installs a finished build into a staging folder, as the package does, and
# runs the installed programs from an unrelated folder on a throw-away game
# folder whose working folder has no card list and no deck page of its own.
#   check-install.sh BUILD-DIR APP-ID VERSION MAKE-DEMO BUILD-CLI
set -euo pipefail
build=$1 id=$2 version=$3 make_demo=$4 build_cli=$5
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR=$tmp/stage cmake --install "$build" --prefix /usr >/dev/null
usr=$tmp/stage/usr
for f in bin/deckeditor bin/deckeditor-cli share/deckeditor/deckmaker.htm share/deckeditor/list.xml \
         share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/man/man1/deckeditor.1.gz share/man/man1/deckeditor-cli.1.gz \
         share/doc/deckeditor/copyright share/doc/deckeditor/changelog.gz; do
  [ -f "$usr/$f" ] || fail "$f is not installed"
done
for size in 16 22 24 32 48 64 128 256; do
  file "$usr/share/icons/hicolor/${size}x$size/apps/$id.png" | grep -q "PNG image data, $size x $size," \
    || fail "no ${size}x$size icon"
done

"$make_demo" "$tmp/game" >/dev/null
work=$tmp/game/DeckEditor
rm "$work/list.xml" "$work/deckmaker.htm"
# What the build's own program shows without a card list in the working folder...
expected=$(cd "$work" && "$build_cli" cards 1 cards 2)
mkdir "$tmp/elsewhere"
cd "$tmp/elsewhere"

[ "$("$usr/bin/deckeditor-cli" --version)" = "deckeditor-cli (Zev DeckEditor) $version" ] || fail "deckeditor-cli --version"
[ "$("$usr/bin/deckeditor" --version)" = "deckeditor (Zev DeckEditor) $version" ] || fail "deckeditor --version"
# ...the installed one shows too: the installed card list is the demo's, never
# a stand-in for the player's.
[ "$("$usr/bin/deckeditor-cli" -C "$work" cards 1 cards 2)" = "$expected" ] || fail "installed deckeditor-cli -C"

export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=$tmp/config
status=0
"$usr/bin/deckeditor" -C "$tmp/nowhere" 2>errors || status=$?
[ $status = 2 ] && grep -qxF "deckeditor: cannot enter folder '$tmp/nowhere'" errors || fail "deckeditor -C on a missing folder"
"$usr/bin/deckeditor" -C "$work" --screenshot shot.png || fail "installed deckeditor -C"
file shot.png | grep -q "PNG image data" || fail "no screenshot from deckeditor -C"
# The menu entry's command, on the folder chosen before.
mkdir -p "$tmp/config/deckeditor"
printf '[General]\ngameFolder=%s\n' "$work" >"$tmp/config/deckeditor/deckeditor.conf"
"$usr/bin/deckeditor" --choose-folder --screenshot chosen.png || fail "installed deckeditor --choose-folder"
file chosen.png | grep -q "PNG image data" || fail "no screenshot from deckeditor --choose-folder"
[ -z "$(ls "$work")" ] || fail "the working folder was written to: $(ls "$work")"
