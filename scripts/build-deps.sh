#!/usr/bin/env bash
# Builds SQLite, libpng and libjpeg-turbo for a MinGW target from Debian's own source
# packages into .deps/<arch>. zlib comes ready-made from libz-mingw-w64-dev. libsodium
# follows with a stamp of its own (build-sodium.sh).
# A prefix whose stamp matches this recipe is reused as it is.
#   usage: build-deps.sh i686|x86_64
set -euo pipefail

source "$(dirname "$0")/build-common.sh" build-deps "$@"
toolchain=$root/cmake/$triple.cmake
recipe="recipe 5; sqlite3 libpng1.6 libjpeg-turbo from $(. /etc/os-release && echo "$VERSION_CODENAME")"
stamp=$prefix/.stamp

intact() {
  [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ] &&
    [ -f "$prefix/lib/libsqlite3.a" ] && [ -f "$prefix/include/sqlite3.h" ] &&
    [ -f "$prefix/lib/libpng16.a" ] && [ -f "$prefix/include/png.h" ] &&
    [ -f "$prefix/lib/libjpeg.a" ] && [ -f "$prefix/include/jpeglib.h" ]
}
if intact; then
  exec bash "$root/scripts/build-sodium.sh" "$arch"
fi

jobs=${VELIX_DEPS_JOBS:-$(nproc)}
mkdir -p "$src"
cd "$src"

# One unpacked source tree per package, shared by both targets. The two targets may build
# at the same time: whoever comes first fetches and prepares, the other waits for it. A
# step counts as done only by the mark written after it, so one cut off half-way (a test
# run that ended early stops its builds) is done again.
exec {src_lock}>"$deps/.src.lock"
flock "$src_lock"
fetch() {
  local pkg=$1 glob=$2
  if [ ! -f "$src/.fetched-$pkg" ] || ! ls -d $glob >/dev/null 2>&1; then
    rm -rf $glob
    apt-get source -q "$pkg" >/dev/null
    touch "$src/.fetched-$pkg"
  fi
  ls -d $glob | head -n 1
}
sqlite_dir=$src/$(fetch sqlite3 'sqlite3-[0-9]*/')
png_dir=$src/$(fetch libpng1.6 'libpng1.6-[0-9]*/')
jpeg_dir=$src/$(fetch libjpeg-turbo 'libjpeg-turbo-[0-9]*/')

rm -rf "$prefix"
mkdir -p "$prefix/lib" "$prefix/include"

# SQLite: the amalgamation is made natively once (a cross configure cannot run its
# helper programs), then compiled as one file for the target.
if [ ! -f "$src/sqlite-amalgamation/.made" ]; then
  rm -rf "$src/sqlite-amalgamation"
  mkdir -p "$src/sqlite-amalgamation"
  (cd "$src/sqlite-amalgamation" && "$sqlite_dir/configure" >/dev/null && make -j"$jobs" sqlite3.c >/dev/null)
  touch "$src/sqlite-amalgamation/.made"
fi
flock -u "$src_lock"
work=$deps/work-$arch
rm -rf "$work"; mkdir -p "$work"
# Besides the defaults: no extension loading (a program that loads no SQLite extensions
# should not be able to), no JSON, shared cache, progress callbacks or deprecated calls, and
# no memory statistics; none of these is used. Optimised for size: SQLite is two fifths of
# the program, and Velix runs a few dozen short statements at start and after an edit, where
# -Os costs nothing one could measure (-O2 made it 255 KB larger).
"$triple-gcc-posix" -Os $lean_flags -DSQLITE_THREADSAFE=1 -DSQLITE_DEFAULT_FOREIGN_KEYS=0 \
  -DSQLITE_OMIT_LOAD_EXTENSION -DSQLITE_OMIT_JSON -DSQLITE_OMIT_SHARED_CACHE \
  -DSQLITE_OMIT_PROGRESS_CALLBACK -DSQLITE_OMIT_DEPRECATED -DSQLITE_DEFAULT_MEMSTATUS=0 \
  -c "$src/sqlite-amalgamation/sqlite3.c" -o "$work/sqlite3.o"
"$triple-ar" rcs "$prefix/lib/libsqlite3.a" "$work/sqlite3.o"
cp "$src/sqlite-amalgamation/sqlite3.h" "$src/sqlite-amalgamation/sqlite3ext.h" "$prefix/include/"

cmake_target() {
  local dir=$1; shift
  cmake -S "$dir" -B "$work/$(basename "$dir")" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS="$lean_flags" \
    -DCMAKE_INSTALL_PREFIX="$prefix" "$@" >/dev/null
  cmake --build "$work/$(basename "$dir")" -j"$jobs" >/dev/null
  cmake --install "$work/$(basename "$dir")" >/dev/null
}
cmake_target "$png_dir" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
  -DPNG_EXECUTABLES=OFF -DSKIP_INSTALL_PROGRAMS=ON -DSKIP_INSTALL_FILES=ON
cmake_target "$jpeg_dir" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
  -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF -DCMAKE_INSTALL_LIBDIR="$prefix/lib" -DCMAKE_INSTALL_INCLUDEDIR="$prefix/include"

rm -rf "$work"
echo "$recipe" > "$stamp"
intact || { echo "build-deps: $arch prefix incomplete after build" >&2; exit 1; }
exec bash "$root/scripts/build-sodium.sh" "$arch"
