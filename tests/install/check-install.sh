#!/usr/bin/env bash
# check-install.sh BUILD_DIR: installs the build into a temporary prefix and checks that
# everything landed where desktops and the program look for it.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

for file in bin/quorvel bin/quorvel-catalogue bin/quorvel-reg bin/quorvel-guide; do
  [ -x "$prefix/$file" ] || fail "$file is not installed as a program"
done
for file in share/quorvel/.installed share/quorvel/Data.txt; do
  [ -f "$prefix/$file" ] || fail "$file is missing"
done
# The shipped catalogue is the built one, readable by the installed tool.
cmp -s "$build/bin/Data.txt" "$prefix/share/quorvel/Data.txt" || fail "Data.txt differs"
"$prefix/bin/quorvel-catalogue" list "$prefix/share/quorvel/Data.txt" --category TV | grep -q . ||
  fail "the installed catalogue lists no channel"
# The installed tool finds the program of its network commands.
"$prefix/bin/quorvel-catalogue" check --help | grep -q "Usage: quorvel-catalogue check" ||
  fail "the installed tool cannot run its network commands"

shopt -s nullglob
desktops=("$prefix"/share/applications/*.desktop)
metainfos=("$prefix"/share/metainfo/*.metainfo.xml)
[ ${#desktops[@]} -eq 1 ] || fail "expected one desktop entry, found ${#desktops[@]}"
[ ${#metainfos[@]} -eq 1 ] || fail "expected one metainfo file, found ${#metainfos[@]}"
desktop-file-validate "${desktops[0]}"
appstreamcli validate --no-net --explain "${metainfos[0]}"
id=$(basename "${desktops[0]}" .desktop)
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "${metainfos[0]}" ||
  fail "the metainfo does not launch $id.desktop"
grep -qx "Exec=quorvel %U" "${desktops[0]}" ||
  fail "the desktop entry does not start quorvel with the addresses and files it is handed"

# Every icon lies in the hicolor folder of its own size.
for png in "$prefix"/share/icons/hicolor/*/apps/quorvel.png; do
  folder=$(basename "$(dirname "$(dirname "$png")")")
  size=$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print("%dx%d" % struct.unpack(">II", d[16:24]))' "$png")
  [ "$folder" = "$size" ] || fail "$png is $size"
done
echo "installed and valid: $id"
