# Sourced by the scripts: the Wine bench's environment and the functions that bring it up.
# The prefix is the project's own (never ~/.wine), 32-bit or 64-bit as chosen below, with
# the Chinese code page, a Chinese font mapped for "宋体", and Wine's virtual desktop so
# that the notification area exists.

velix_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# The bench runs the 32-bit build where the machine can run 32-bit Linux programs (Wine's
# 32-bit loader is one). Kernels built or booted without 32-bit emulation cannot: there the
# bench runs the 64-bit build of the same sources with Wine's 64-bit loader in a 64-bit
# prefix. VELIX_BENCH_ARCH (i686 or x86_64) overrides the choice.
velix_can_run_32bit() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}
velix_bench_arch_forced=${VELIX_BENCH_ARCH:+yes}
if [ -z "${VELIX_BENCH_ARCH:-}" ]; then
  if velix_can_run_32bit; then VELIX_BENCH_ARCH=i686; else VELIX_BENCH_ARCH=x86_64; fi
fi
export VELIX_BENCH_ARCH
# The display scale of the prefix, as Windows' LogPixels (96 is 100 %, 144 is 150 %). A
# prefix at another scale is one of its own, beside the bench's prefix at 96.
velix_logpixels=${VELIX_LOGPIXELS:-96}
velix_prefix_scale=""
[ "$velix_logpixels" != 96 ] && velix_prefix_scale=-dpi$velix_logpixels
if [ "$VELIX_BENCH_ARCH" = i686 ]; then
  # A prefix named by VELIX_WINEPREFIX takes the scale's suffix too: the set-up of a prefix at
  # another scale starts it from nothing, which must never hit the bench's own.
  export WINEPREFIX=${VELIX_WINEPREFIX:+$VELIX_WINEPREFIX$velix_prefix_scale}
  WINEPREFIX=${WINEPREFIX:-$velix_root/.wine/prefix$velix_prefix_scale}
  export WINEARCH=win32
else
  export WINEPREFIX=${VELIX_WINEPREFIX:+$VELIX_WINEPREFIX$velix_prefix_scale}
  WINEPREFIX=${WINEPREFIX:-$velix_root/.wine/prefix64$velix_prefix_scale}
  export WINEARCH=win64
  # Debian's wine and wine-stable commands (and wineboot, which calls wine-stable) take the
  # 32-bit loader whenever it is installed; these take the 64-bit one.
  velix_wine64_bin=$velix_root/.wine/bin64
  if [ ! -x "$velix_wine64_bin/wine-stable" ]; then
    mkdir -p "$velix_wine64_bin"
    for command in wine wine-stable; do
      printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' \
        > "$velix_wine64_bin/$command"
      chmod +x "$velix_wine64_bin/$command"
    done
  fi
  case ":$PATH:" in
    *":$velix_wine64_bin:"*) ;;
    *) export PATH=$velix_wine64_bin:$PATH ;;
  esac
fi
export WINEDEBUG=${WINEDEBUG:--all}
# The Chinese code page, unless a program of the tests asks for another locale (the English
# one, code page 1252) through VELIX_LOCALE.
export LC_ALL=${VELIX_LOCALE:-zh_CN.UTF-8}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# A scaled prefix has no virtual desktop: its windows are the X screen's own, with the
# screen's room for windows half as large again, and nothing of it stays on the display
# over the bench's desktop once they are gone (a desktop window would take the real
# clicks of the tests that run meanwhile).
velix_prefix_recipe="prefix 1 $WINEARCH${velix_prefix_scale:+ $velix_prefix_scale nodesktop}"

# A second drive D: for tests that need another volume. It lives on another file system
# (tmpfs), so that a rename from C: to D: really fails as it does between two disks.
# The wineserver reads the drive links at its start.
velix_second_drive=/dev/shm/velix-drive-d
velix_map_second_drive() {
  mkdir -p "$velix_second_drive"
  if [ "$(readlink "$WINEPREFIX/dosdevices/d:")" != "$velix_second_drive" ]; then
    ln -sfn "$velix_second_drive" "$WINEPREFIX/dosdevices/d:"
  fi
}

# Creates the prefix when it is missing or was made by another recipe.
velix_prepare_prefix() {
  local stamp=$WINEPREFIX/.velix-stamp
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$velix_prefix_recipe" ]; then
    velix_map_second_drive
    return 0
  fi
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  wineboot -i >/dev/null 2>&1
  wineserver -w

  local fonts=$WINEPREFIX/drive_c/windows/Fonts
  mkdir -p "$fonts"
  cp -f /usr/share/wine/fonts/*.ttf "$fonts/" 2>/dev/null || true

  # regedit reads UTF-16LE with a byte order mark.
  local reg=$WINEPREFIX/velix-bench.reg
  {
    printf '\xff\xfe'
    iconv -f UTF-8 -t UTF-16LE <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"宋体"="WenQuanYi Micro Hei"
"SimSun"="WenQuanYi Micro Hei"
"新宋体"="WenQuanYi Micro Hei"
"MS Sans Serif"="WenQuanYi Micro Hei"

[HKEY_CLASSES_ROOT\.txt]
@="txtfile"

[HKEY_CLASSES_ROOT\txtfile\shell\open\command]
@="notepad.exe \"%1\""
REG
  } > "$reg"
  wine regedit /S "$reg" >/dev/null 2>&1
  if [ "$velix_logpixels" != 96 ]; then
    # Read by the wineserver at its start: the scale holds from the next server on.
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$velix_logpixels" /f \
      >/dev/null 2>&1
    wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1
  fi
  wineserver -w
  velix_map_second_drive
  echo "$velix_prefix_recipe" > "$stamp"
}

# Starts Xvfb on a free display when there is none to use.
velix_started_xvfb=""
velix_ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local n=90
  while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  velix_started_xvfb=$!
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 100); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "wine-env: Xvfb on $DISPLAY did not come up" >&2
  return 1
}

# One wineserver for the whole run, so that each test process starts warm.
velix_start_wineserver() {
  wineserver -p
  wine cmd /c exit >/dev/null 2>&1 || true
}

# A hidden window of a bench program keeps the virtual desktop process alive, so that
# each test program finds it running instead of starting it again.
velix_keep_desktop() {
  wine "$1" >/dev/null 2>&1 &
  local i
  for i in $(seq 1 50); do
    pgrep -f 'explorer.exe /desktop' >/dev/null && return 0
    sleep 0.1
  done
}

velix_stop_bench() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$velix_started_xvfb" ]; then
    kill "$velix_started_xvfb" 2>/dev/null || true
    wait "$velix_started_xvfb" 2>/dev/null || true
    velix_started_xvfb=""
  fi
}
