#!/usr/bin/env bash
# Installs the Debian packages the build and the Wine bench need. Idempotent: when
# every package is already there it returns without touching apt.
set -euo pipefail

packages=(
  cmake make ninja-build pkg-config dpkg-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  libz-mingw-w64-dev googletest tcl sqlite3
  wine wine32:i386 wine64 fonts-wine fonts-wqy-microhei
  xvfb xdotool x11-apps x11-utils imagemagick locales clang libclang-rt-14-dev libpng-dev libjpeg62-turbo-dev
  autoconf automake libtool minisign nginx nsis unicode-data bzip2 python3
)

missing=()
for p in "${packages[@]}"; do
  name=${p%%:*}
  arch=${p#*:}; [ "$arch" = "$p" ] && arch=""
  q=$name; [ -n "$arch" ] && q="$name:$arch"
  if ! dpkg-query -W -f='${Status}' "$q" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  missing+=(wine32:i386)
fi

# Source packages for the dependencies that Debian does not ship for MinGW.
src_list=/etc/apt/sources.list.d/velix-src.sources
need_update=0
if [ ! -f "$src_list" ]; then
  uri=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
  [ -n "$uri" ] || uri=http://deb.debian.org/debian
  suite=$(awk '/^Suites:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
  [ -n "$suite" ] || suite=bookworm
  cat > "$src_list" <<SRC
Types: deb-src
URIs: $uri
Suites: $suite
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  need_update=1
fi

if [ ${#missing[@]} -gt 0 ] || [ $need_update -eq 1 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  if [ ${#missing[@]} -gt 0 ]; then
    # The update tests run nginx with a configuration of their own; the package's own
    # service must not start and take port 80.
    no_services=0
    if [ ! -e /usr/sbin/policy-rc.d ]; then
      printf '#!/bin/sh\nexit 101\n' > /usr/sbin/policy-rc.d
      chmod +x /usr/sbin/policy-rc.d
      no_services=1
    fi
    apt-get install -y -q --no-install-recommends "${missing[@]}"
    [ $no_services -eq 1 ] && rm -f /usr/sbin/policy-rc.d
  fi
fi

# The bench runs with the Chinese code page, and one test program with the English one;
# Wine needs the glibc locale for non-ASCII names.
for loc in zh_CN en_US; do
  if ! locale -a 2>/dev/null | grep -qi "^$loc\.utf-\?8\$"; then
    if [ -f /etc/locale.gen ] && ! grep -q "^$loc.UTF-8 UTF-8" /etc/locale.gen; then
      echo "$loc.UTF-8 UTF-8" >> /etc/locale.gen
    fi
    locale-gen "$loc.UTF-8" >/dev/null 2>&1 || localedef -i "$loc" -f UTF-8 "$loc.UTF-8"
  fi
done
