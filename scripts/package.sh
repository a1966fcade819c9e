#!/usr/bin/env bash
# package.sh ARCH EXE SAMPLE_DLL OUTDIR VERSION: makes the two things a user downloads
# from a built velix.exe: the installer (installer/velix.nsi through makensis) and the
# portable zip, which holds velix.exe and the plug-in SDK with its sample.
#   OUTDIR/velix-VERSION-setup.exe
#   OUTDIR/velix-VERSION-portable.zip
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -ne 5 ]; then
  echo "usage: package.sh ARCH EXE SAMPLE_DLL OUTDIR VERSION" >&2
  exit 2
fi
arch=$1 exe=$2 sample=$3 outdir=$4 version=$5
for file in "$exe" "$sample"; do
  [ -f "$file" ] || { echo "package: $file is missing" >&2; exit 1; }
done
exe=$(realpath "$exe") sample=$(realpath "$sample")
mkdir -p "$outdir"
outdir=$(realpath "$outdir")
command -v makensis >/dev/null || { echo "package: makensis is missing (Debian's nsis)" >&2; exit 1; }

# The version resource takes four numbers: "1.0" becomes 1.0.0.0.
IFS=. read -r -a numbers <<< "$version"
resource_version=$(printf '%d.%d.%d.%d' "${numbers[0]:-0}" "${numbers[1]:-0}" "${numbers[2]:-0}" "${numbers[3]:-0}")

setup=$outdir/velix-$version-setup.exe
rm -f "$setup"
makensis -V2 -INPUTCHARSET UTF8 \
  "-DARCH=$arch" "-DEXE=$exe" "-DOUTFILE=$setup" "-DVERSION=$version" \
  "-DRESOURCE_VERSION=$resource_version" \
  "-DICON=$root/app/res/icon101.ico" "$root/installer/velix.nsi"

zip=$outdir/velix-$version-portable.zip
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/sdk/sample"
cp "$exe" "$stage/velix.exe"
cp "$root/sdk/VelixPlugin.h" "$stage/sdk/"
cp "$root/sdk/sample/SamplePlugin.cpp" "$sample" "$stage/sdk/sample/"
rm -f "$zip"
(cd "$stage" && cmake -E tar cf "$zip" --format=zip velix.exe sdk)
echo "package: $setup"
echo "package: $zip"
