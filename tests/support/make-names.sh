#!/usr/bin/env bash
# Makes on the Linux side the folder WideNames.h names: C:\velix-names\<kKoreanFolder> with
# <kAccentedFile> and a copy of the probe named <kProbeProgram>, the texts taken from
# NameTexts.txt and written as UTF-8 file names. A run starts from nothing.
#   make-names.sh NameTexts.txt PROBE.exe     make-names.sh NameTexts.txt --remove
set -euo pipefail
# The prefix the tests run in, chosen as wine-exec chooses it.
source "$(dirname "$0")/../../scripts/wine-env.sh"
root="$WINEPREFIX/drive_c/velix-names"
rm -rf "$root"
[ "$2" = --remove ] && exit 0
text() { awk -F'\t' -v name="$1" '$1 == name { print $2; found = 1 } END { exit !found }' "$texts"; }
texts=$1
folder="$root/$(text kKoreanFolder)"
mkdir -p "$folder"
printf 'ID3' > "$folder/$(text kAccentedFile)"
cp "$2" "$folder/$(text kProbeProgram)"
ls -1 "$folder"
