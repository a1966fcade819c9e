#!/usr/bin/env bash
# The update server of the update tests: packages of the test build of the program, signed
# with the test key (and one with another key), then nginx on 127.0.0.1:80 serving DIR/www.
#   usage: update-fixture.sh start DIR PROGRAM TEST_SECRET_KEY OTHER_SECRET_KEY
#          update-fixture.sh stop DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
action=${1:?usage: update-fixture.sh start|stop DIR ...}
dir=${2:?usage: update-fixture.sh start|stop DIR ...}
if [ "$action" = stop ]; then
  exec bash "$here/nginx.sh" stop "$dir"
fi
program=${3:?program} key=${4:?test key} other=${5:?other key}
packages=$dir/packages
rm -rf "$packages" "$dir/www"
mkdir -p "$packages" "$dir/www/soft"

# good: the program with a marker at its end, so that the upgraded file can be told apart;
# bomb: a valid package that inflates past what the program accepts.
python3 - "$program" "$packages" <<'PY'
import sys, zlib
program, out = sys.argv[1], sys.argv[2]
data = open(program, 'rb').read() + b'\nvelix-upgrade-marker\n'
good = zlib.compress(data, 9)
open(out + '/good.vlx', 'wb').write(good)
tampered = bytearray(good)
tampered[len(tampered) // 2] ^= 0x01
open(out + '/tampered.vlx', 'wb').write(bytes(tampered))
open(out + '/bomb.vlx', 'wb').write(zlib.compress(b'\0' * (80 * 1024 * 1024), 9))
PY
sign() { minisign -S -s "$1" -m "$2" -x "$3" -t "velix test" >/dev/null; }
sign "$key" "$packages/good.vlx" "$packages/good.vlx.minisig"
cp "$packages/good.vlx.minisig" "$packages/tampered.vlx.minisig"
cp "$packages/good.vlx" "$packages/otherkey.vlx"
sign "$other" "$packages/otherkey.vlx" "$packages/otherkey.vlx.minisig"
sign "$key" "$packages/bomb.vlx" "$packages/bomb.vlx.minisig"
cp "$packages/good.vlx" "$packages/nosig.vlx"
exec bash "$here/nginx.sh" start "$dir"
