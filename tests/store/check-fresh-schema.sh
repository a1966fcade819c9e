#!/usr/bin/env bash
# A fresh start of velix.exe in an empty folder, read from outside with SQLite's own
# shell: the schema and the rows of Config.db as any other program sees them, and a
# second start that adds nothing.
#   usage: check-fresh-schema.sh path/to/velix.exe
# The copy runs under its own name, so that closing it (taskkill by image name) and the
# Run value its first start writes touch no other copy of the program.
set -euo pipefail

exe=${1:?usage: check-fresh-schema.sh path/to/velix.exe}
root=$(cd "$(dirname "$0")/../.." && pwd)
wine_exec=$root/scripts/wine-exec
name=velix-fresh-schema.exe
run_key='HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run'

command -v sqlite3 >/dev/null || { echo "sqlite3 (Debian's sqlite3 package) is missing" >&2; exit 1; }

work=$(mktemp -d)
cleanup() {
  "$wine_exec" reg delete "$run_key" /v "$name" /f >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
cp "$exe" "$work/$name"
cd "$work"

fail() { echo "check-fresh-schema: $*" >&2; exit 1; }

# Starts the copy, waits until its store is up and ends it. Closing the kit window only
# hides it, so the copy is ended from outside; the in-program tests check the clean exit.
run_once() {
  "$wine_exec" "$name" >/dev/null 2>&1 &
  local pid=$! i
  for i in $(seq 1 150); do
    [ -f Config.db ] && sqlite3 Config.db 'select count(*) from KX_MODULE' >/dev/null 2>&1 && break
    sleep 0.1
  done
  for i in $(seq 1 40); do
    kill -0 "$pid" 2>/dev/null || break
    "$wine_exec" taskkill /f /im "$name" >/dev/null 2>&1 || true
    sleep 0.5
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid"
    fail "the program could not be ended"
  fi
  wait "$pid" 2>/dev/null || true
}

run_once

expected_schema=$(cat <<'SQL'
CREATE TABLE KX_SYS (ID INTEGER not null PRIMARY KEY,Value VARCHAR(100) NOT NULL,Ms VARCHAR(80));
CREATE TABLE KX_DATA (ID INTEGER not null PRIMARY KEY,FLAG  VARCHAR(80),DATA blob,Ms VARCHAR(80));
CREATE TABLE KX_SOFT (S_ID INTEGER not null PRIMARY KEY,S_ORDERID INTEGER,S_PID INTEGER,S_FLAG INTEGER,S_TEXT VARCHAR(100),S_PATH VARCHAR(300),S_ICO blob);
CREATE INDEX idxKX_SOFT on KX_SOFT(S_ORDERID,S_PID);
CREATE TABLE KX_NOTE (N_ID INTEGER NOT NULL PRIMARY KEY,N_LEFT INTEGER,N_TOP INTEGER,N_WIDTH INTEGER,N_HEIGHT INTEGER,N_FLAG INTEGER,N_TEXT BLOB,N_PASSWORD VARCHAR(20),N_SHOW INTEGER,CREATEDATE VARCHAR(20),MODIDATE VARCHAR(20),STATUS INTEGER);
CREATE TABLE KX_MODULE (M_TYPE INTEGER NOT NULL,M_ID INTEGER NOT NULL,M_XH INTEGER,M_HK INTEGER,M_NAME VARCHAR(80),M_MS VARCHAR(300),M_FLAG INTEGER,CREATEDATE VARCHAR(20),MODIDATE VARCHAR(20),STATUS INTEGER);
CREATE TABLE KX_PLUGIN (P_ID VARCHAR(20),P_STATUS INTEGER,P_XH INTEGER,P_HK INTEGER,P_VER VARCHAR(20),P_NAME VARCHAR(80),P_PATH VARCHAR(300),P_MS VARCHAR(300),CREATEDATE VARCHAR(20));
CREATE TABLE KX_LAUNCH (S_ID INTEGER not null PRIMARY KEY,L_COUNT INTEGER,L_LASTDATE VARCHAR(20));
CREATE TABLE KX_NOTE_DELETED (N_ID INTEGER NOT NULL PRIMARY KEY,N_LEFT INTEGER,N_TOP INTEGER,N_WIDTH INTEGER,N_HEIGHT INTEGER,N_FLAG INTEGER,N_TEXT BLOB,N_PASSWORD VARCHAR(20),N_SHOW INTEGER,CREATEDATE VARCHAR(20),MODIDATE VARCHAR(20),STATUS INTEGER,DELETEDATE VARCHAR(20));
SQL
)
schema=$(sqlite3 Config.db .schema)
if [ "$schema" != "$expected_schema" ]; then
  diff <(echo "$expected_schema") <(echo "$schema") >&2 || true
  fail "the schema differs"
fi

# Texts are GBK in the file.
sys=$(sqlite3 Config.db 'select * from KX_SYS order by ID' | iconv -f GBK -t UTF-8)
[ "$(sed -n 1p <<<"$sys")" = "1|1|数据库版本" ] || fail "KX_SYS row 1: $sys"
grep -Eqx '4\|(([0-9a-f]{2} ){6})?\|是否首次使用' <<<"$(sed -n 2p <<<"$sys")" || fail "KX_SYS row 4: $sys"
[ "$(wc -l <<<"$sys")" -eq 2 ] || fail "KX_SYS rows: $sys"

today=$(date +%F)
module=$(sqlite3 Config.db 'select * from KX_MODULE order by M_TYPE')
[ "$module" = "110|0|0|11|LeftMenu||2|$today|$today|0
115|0|0|2097155|Search||3|$today|$today|0" ] || fail "KX_MODULE rows: $module"
others=$(sqlite3 Config.db 'select (select count(*) from KX_DATA)+(select count(*) from KX_SOFT)+(select count(*) from KX_NOTE)+(select count(*) from KX_PLUGIN)+(select count(*) from KX_LAUNCH)+(select count(*) from KX_NOTE_DELETED)')
[ "$others" = 0 ] || fail "$others rows in tables that start empty"

sqlite3 Config.db .dump >first.sql
run_once
sqlite3 Config.db .dump >second.sql
diff first.sql second.sql >&2 || fail "the second start changed the database"
echo "check-fresh-schema: ok"
