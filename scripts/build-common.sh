# Sourced by build-deps.sh and build-sodium.sh, which build libraries for a MinGW target
# into .deps/<arch>: the target from the command line, the folders both use, and the
# compiler flags of every library built there.
#   usage: source build-common.sh NAME ARCH  (NAME: the calling script's, for its messages)
self=$1
arch=${2:?usage: $self.sh i686|x86_64}
case "$arch" in
  i686|x86_64) ;;
  *) echo "$self: unknown target $arch" >&2; exit 2 ;;
esac
triple=$arch-w64-mingw32
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
deps=$root/.deps
prefix=$deps/$arch
src=$deps/src
# Each function and datum in a section of its own, so that a program's link keeps only
# what it calls (--gc-sections). No exception passes through these C libraries, so the
# 32-bit build leaves out their unwind tables; 64-bit Windows needs them even so, since its
# longjmp (the error exit of libpng and libjpeg) unwinds frame by frame.
lean_flags="-ffunction-sections -fdata-sections"
if [ "$arch" = i686 ]; then
  lean_flags="$lean_flags -fno-asynchronous-unwind-tables -fno-unwind-tables"
fi
