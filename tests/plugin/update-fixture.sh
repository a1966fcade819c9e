#!/usr/bin/env bash
# The update server of the update tests: packages of the test build of the program, signed
# with the test key (and one with another key), then nginx on 127.0.0.1:80 serving DIR/www.
# With a plug-in DLL, its packages too (signed, tampered, unsigned, signed but no zlib
# stream), and with a second DLL whose InitPlugin crashes, its signed package.
#   usage: update-fixture.sh start DIR PROGRAM TEST_SECRET_KEY OTHER_SECRET_KEY [PLUGIN_DLL CRASHING_DLL]
#          update-fixture.sh stop DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
action=${1:?usage: update-fixture.sh start|stop DIR ...}
dir=${2:?usage: update-fixture.sh start|stop DIR ...}
if [ "$action" = stop ]; then
  exec bash "$here/nginx.sh" stop "$dir"
fi
program=${3:?program} key=${4:?test key} other=${5:?other key} plugin=${6:-} crashing=${7:-}
packages=$dir/packages
rm -rf "$packages" "$dir/www"
mkdir -p "$packages" "$dir/www/soft"
printf '<soft><main flag="0" name="Velix" ver="1.1" path="soft/velix.vlx"/></soft>' > "$dir/www/missing.xml"

# good: the program with a marker at its end, so that the upgraded file can be told apart;
# bomb: a valid package that inflates past what the program accepts.
python3 - "$program" "$packages" "$plugin" "$crashing" <<'PY'
import sys, zlib
program, out, plugin, crashing = sys.argv[1:5]
data = open(program, 'rb').read() + b'\nvelix-upgrade-marker\n'
good = zlib.compress(data, 9)
open(out + '/good.vlx', 'wb').write(good)
tampered = bytearray(good)
tampered[len(tampered) // 2] ^= 0x01
open(out + '/tampered.vlx', 'wb').write(bytes(tampered))
open(out + '/bomb.vlx', 'wb').write(zlib.compress(b'\0' * (80 * 1024 * 1024), 9))
if plugin:
    # Stored rather than compressed: a package must be larger than 10240 bytes.
    packed = zlib.compress(open(plugin, 'rb').read(), 0)
    open(out + '/sample.vlx', 'wb').write(packed)
    broken = bytearray(packed)
    broken[len(broken) // 2] ^= 0x01
    open(out + '/sample-tampered.vlx', 'wb').write(bytes(broken))
    open(out + '/sample-raw.vlx', 'wb').write(open(plugin, 'rb').read())
if crashing:
    open(out + '/crashing.vlx', 'wb').write(zlib.compress(open(crashing, 'rb').read(), 0))
PY
# The trusted comment names the file as the site serves it (soft/velix.vlx, soft/sample.vlx),
# in the form minisign gives by default.
tab=$'\t'
sign() { minisign -S -s "$1" -m "$2" -x "$2.minisig" -t "timestamp:0${tab}file:$3${tab}hashed" >/dev/null; }
sign "$key" "$packages/good.vlx" velix.vlx
cp "$packages/good.vlx.minisig" "$packages/tampered.vlx.minisig"
cp "$packages/good.vlx" "$packages/otherkey.vlx"
sign "$other" "$packages/otherkey.vlx" velix.vlx
sign "$key" "$packages/bomb.vlx" velix.vlx
cp "$packages/good.vlx" "$packages/nosig.vlx"
if [ -n "$plugin" ]; then
  sign "$key" "$packages/sample.vlx" sample.vlx
  cp "$packages/sample.vlx.minisig" "$packages/sample-tampered.vlx.minisig"
  cp "$packages/sample.vlx" "$packages/sample-nosig.vlx"
  sign "$key" "$packages/sample-raw.vlx" sample.vlx
fi
if [ -n "$crashing" ]; then
  sign "$key" "$packages/crashing.vlx" sample.vlx
fi
exec bash "$here/nginx.sh" start "$dir"
