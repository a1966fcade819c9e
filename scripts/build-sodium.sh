#!/usr/bin/env bash
# Builds libsodium (the signature check of downloaded updates and plug-ins) for a MinGW
# target from Debian's source package into .deps/<arch>, beside the libraries of
# build-deps.sh. It has a stamp of its own, .stamp-sodium, so that neither build forces the
# other; build-deps.sh calls it last, and a rebuilt prefix loses this stamp with the rest.
#   usage: build-sodium.sh i686|x86_64
set -euo pipefail

source "$(dirname "$0")/build-common.sh" build-sodium "$@"
recipe="recipe 1; libsodium minimal static from $(. /etc/os-release && echo "$VERSION_CODENAME")"
stamp=$prefix/.stamp-sodium

intact() {
  [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ] &&
    [ -f "$prefix/lib/libsodium.a" ] && [ -f "$prefix/include/sodium.h" ] &&
    [ -f "$prefix/include/sodium/crypto_sign.h" ]
}
if intact; then
  exit 0
fi

mkdir -p "$src"
cd "$src"
# The source tree is shared by both targets, which may build at the same time: whoever comes
# first fetches and prepares it, the other waits (the lock of build-deps.sh). As there, a
# step counts as done only by the mark written after it.
exec {src_lock}>"$deps/.src.lock"
flock "$src_lock"
if [ ! -f "$src/.fetched-libsodium" ] || ! ls -d libsodium-[0-9]*/ >/dev/null 2>&1; then
  rm -rf libsodium-[0-9]*/
  apt-get source -q libsodium >/dev/null
  touch "$src/.fetched-libsodium"
fi
sodium_dir=$src/$(ls -d libsodium-[0-9]*/ | head -n 1)
sodium_dir=${sodium_dir%/}

work=$deps/work-sodium-$arch
rm -rf "$work"; mkdir -p "$work"
log=$work/build.log
run() {
  if ! "$@" >>"$log" 2>&1; then
    tail -n 30 "$log" >&2
    echo "build-sodium: $arch: $1 failed (log: $log)" >&2
    exit 1
  fi
}

# Debian's source package carries no configure script: autoreconf makes it once in the
# shared source tree (autogen.sh would fetch config.guess from the network); each target
# then builds out of tree.
if [ ! -f "$sodium_dir/.reconfigured" ]; then
  (cd "$sodium_dir" && run autoreconf -fi)
  touch "$sodium_dir/.reconfigured"
fi
flock -u "$src_lock"

# Minimal: the high-level functions only, which include Ed25519 signatures and BLAKE2b.
# No stack protector (MinGW's would need libssp, and no other part of the program uses it)
# and Windows' own critical sections rather than winpthreads. The random source is
# RtlGenRandom from advapi32, a part of Windows.
rm -f "$prefix/lib/libsodium.a" "$prefix/lib/libsodium.la" "$prefix/lib/pkgconfig/libsodium.pc"
rm -rf "$prefix/include/sodium" "$prefix/include/sodium.h"
(cd "$work" && run "$sodium_dir/configure" --host="$triple" --prefix="$prefix" \
  --disable-shared --enable-static --enable-minimal --disable-ssp --without-pthreads \
  CC="$triple-gcc-posix" CFLAGS="-O2 $lean_flags")
(cd "$work" && run make -j"${VELIX_DEPS_JOBS:-$(nproc)}" && run make install)
rm -f "$prefix/lib/libsodium.la"

rm -rf "$work"
echo "$recipe" > "$stamp"
intact || { echo "build-sodium: $arch prefix incomplete after build" >&2; exit 1; }
