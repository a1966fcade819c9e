#!/usr/bin/env bash
# The update server of the update tests: packages of the test build of the program, signed
# with the test key (and one with another key), then nginx on 127.0.0.1:80 serving DIR/www.
# With a plug-in DLL, its packages too (signed, tampered, unsigned, signed but no zlib
# stream), with a second DLL whose InitPlugin crashes and a third whose InitPlugin never
# returns, their signed packages. The
# descriptions the tests publish (desc-*.xml) are signed as info.xml, the site's name for
# them, with a time in the trusted comment; a few are signed wrongly on purpose.
#   usage: update-fixture.sh start DIR PROGRAM TEST_SECRET_KEY OTHER_SECRET_KEY [PLUGIN_DLL CRASHING_DLL HANGING_DLL]
#          update-fixture.sh stop DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
action=${1:?usage: update-fixture.sh start|stop DIR ...}
dir=${2:?usage: update-fixture.sh start|stop DIR ...}
if [ "$action" = stop ]; then
  exec bash "$here/nginx.sh" stop "$dir"
fi
program=${3:?program} key=${4:?test key} other=${5:?other key} plugin=${6:-} crashing=${7:-} hanging=${8:-}
# The program's own version, and a newer one than it.
version=$(sed -n 's/^project(Velix VERSION \([0-9.]*\).*/\1/p' "$here/../../CMakeLists.txt")
newer=$version.1
packages=$dir/packages
rm -rf "$packages" "$dir/www"
mkdir -p "$packages" "$dir/www/soft"
printf '<soft><main flag="0" name="Velix" ver="%s" path="soft/velix.vlx"/></soft>' "$newer" > "$dir/www/missing.xml"

# good: the program with a marker at its end, so that the upgraded file can be told apart;
# bomb: a valid package that inflates past what the program accepts.
python3 - "$program" "$packages" "$plugin" "$crashing" "$hanging" "$version" "$newer" <<'PY'
import hashlib, sys, zlib
program, out, plugin, crashing, hanging, same, newer = sys.argv[1:8]
data = open(program, 'rb').read() + b'\nvelix-upgrade-marker\n'
good = zlib.compress(data, 9)
open(out + '/good.vlx', 'wb').write(good)
# older: another release of the program, signed as well but not the one described.
open(out + '/older.vlx', 'wb').write(zlib.compress(open(program, 'rb').read(), 9))
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
if hanging:
    open(out + '/hanging.vlx', 'wb').write(zlib.compress(open(hanging, 'rb').read(), 0))

# Each entry names its package by the BLAKE2b-256 digest of the file served (b2sum -l 256).
def digest(name):
    path = out + '/' + name
    try:
        return hashlib.blake2b(open(path, 'rb').read(), digest_size=32).hexdigest()
    except FileNotFoundError:
        return '0' * 64
def description(ver, plugins, package='good.vlx'):
    rows = ''.join('<p flag="%s" name="%s" ver="%s" path="%s" hash="%s"/>' % (f, n, v, p, digest(k))
                   for f, n, v, p, k in plugins)
    text = ('<?xml version="1.0" encoding="gb2312"?>\r\n<soft><main name="Velix" ver="%s" '
            'path="soft/velix.vlx" hash="%s">%s</main></soft>' % (ver, digest(package), rows))
    return text.encode('gbk')
# desc-same.xml: this version; desc-newer.xml: a newer one; desc-0.9.xml: an older one.
for name, ver in (('same', same), ('newer', newer), ('0.9', '0.9')):
    open(out + '/desc-%s.xml' % name, 'wb').write(description(ver, [('7', 'x', '1', 'soft/x.vlx', 'x.vlx')]))
open(out + '/desc-bomb.xml', 'wb').write(description(newer, [], 'bomb.vlx'))
for flag in ('9001', '9002'):
    open(out + '/desc-plugin-%s.xml' % flag, 'wb').write(
        description(same, [(flag, '示例插件', '1.0', 'soft/sample.vlx', 'sample.vlx')]))
# The plug-in packages refused after their signature: each one the description names.
for package in ('sample-raw', 'crashing', 'hanging'):
    open(out + '/desc-plugin-%s.xml' % package, 'wb').write(
        description(same, [('9001', '示例插件', '1.0', 'soft/sample.vlx', package + '.vlx')]))
# Two plug-ins offered under one package path; ten thousand plug-in entries.
open(out + '/desc-same-path.xml', 'wb').write(description(
    same, [('9001', '示例插件', '1.0', 'soft/slow/sample.vlx', 'sample.vlx'),
            ('9002', '另一插件', '1.0', 'soft/slow/sample.vlx', 'sample.vlx')]))
open(out + '/desc-many.xml', 'wb').write(description(
    same, [(str(i), 'p%d' % i, '1.0', 'soft/p%d.vlx' % i, 'p.vlx') for i in range(1, 10001)]))
PY
# The trusted comment names the file as the site serves it (soft/velix.vlx, soft/sample.vlx),
# in the form minisign gives by default.
tab=$'\t'
sign() {
  minisign -S -s "$1" -m "$2" -x "$2.minisig" -t "timestamp:${4:-0}${tab}file:$3${tab}hashed" >/dev/null
}
# Descriptions: signed at one time, except one older and the wrongly signed ones.
now=1800000000
for desc in "$packages"/desc-*.xml; do sign "$key" "$desc" info.xml "$now"; done
cp "$packages/desc-0.9.xml" "$packages/desc-older.xml"
sign "$key" "$packages/desc-older.xml" info.xml $((now - 86400))
cp "$packages/desc-newer.xml" "$packages/desc-other-file.xml"
sign "$key" "$packages/desc-other-file.xml" velix.vlx "$now"
cp "$packages/desc-newer.xml" "$packages/desc-other-key.xml"
sign "$other" "$packages/desc-other-key.xml" info.xml "$now"
cp "$packages/desc-newer.xml" "$packages/desc-unsigned.xml"
sign "$key" "$packages/good.vlx" velix.vlx
cp "$packages/good.vlx.minisig" "$packages/tampered.vlx.minisig"
cp "$packages/good.vlx" "$packages/otherkey.vlx"
sign "$other" "$packages/otherkey.vlx" velix.vlx
sign "$key" "$packages/bomb.vlx" velix.vlx
sign "$key" "$packages/older.vlx" velix.vlx
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
if [ -n "$hanging" ]; then
  sign "$key" "$packages/hanging.vlx" sample.vlx
fi
if [ -n "$plugin" ]; then
  mkdir -p "$dir/www/soft/slow"
  cp "$packages/sample.vlx" "$packages/sample.vlx.minisig" "$dir/www/soft/slow/"
fi
exec bash "$here/nginx.sh" start "$dir"
