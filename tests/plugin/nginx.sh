#!/usr/bin/env bash
# Starts or stops Debian's nginx for the update tests: in the foreground of a background
# job, on 127.0.0.1 port 80, serving DIR/www, with its pid, logs and temporary files all
# inside DIR.   usage: nginx.sh start|stop DIR
set -euo pipefail
action=${1:?usage: nginx.sh start|stop DIR}
dir=${2:?usage: nginx.sh start|stop DIR}
mkdir -p "$dir/www/soft" "$dir/logs" "$dir/temp"
pidfile=$dir/nginx.pid

stop() {
  if [ -f "$pidfile" ]; then
    kill "$(cat "$pidfile")" 2>/dev/null || true
    for _ in $(seq 50); do [ -f "$pidfile" ] || break; sleep 0.1; done
    rm -f "$pidfile"
  fi
}

case "$action" in
  stop) stop; exit 0 ;;
  start) ;;
  *) echo "nginx.sh: unknown action $action" >&2; exit 2 ;;
esac

command -v nginx >/dev/null || { echo "nginx.sh: nginx is not installed" >&2; exit 1; }
stop
cat > "$dir/nginx.conf" <<CONF
daemon off;
worker_processes 1;
pid $pidfile;
error_log $dir/logs/error.log;
events { worker_connections 64; }
http {
  access_log $dir/logs/access.log;
  client_body_temp_path $dir/temp/body;
  proxy_temp_path $dir/temp/proxy;
  fastcgi_temp_path $dir/temp/fastcgi;
  uwsgi_temp_path $dir/temp/uwsgi;
  scgi_temp_path $dir/temp/scgi;
  default_type application/octet-stream;
  server {
    listen 127.0.0.1:80;
    root $dir/www;
    # A missing file answers 404 with a body that parses as a description offering a
    # new version: only the status may keep the program from taking it.
    error_page 404 /missing.xml;
    # Slow enough that a second download can be started while the first runs.
    location /soft/slow/ { limit_rate 30k; }
  }
}
CONF
# Whatever answers on the port before ours starts is another server (a second test run on
# this machine): the tests would talk to it, so the start fails instead.
if (exec 3<>/dev/tcp/127.0.0.1/80) 2>/dev/null; then
  echo "nginx.sh: 127.0.0.1:80 is taken already; is another test run using it?" >&2
  exit 1
fi
setsid nginx -c "$dir/nginx.conf" -p "$dir" >"$dir/logs/stdout.log" 2>&1 < /dev/null &
server=$!
for _ in $(seq 100); do
  # An nginx that could not bind the port has ended.
  kill -0 "$server" 2>/dev/null || break
  if [ -f "$pidfile" ] && (exec 3<>/dev/tcp/127.0.0.1/80) 2>/dev/null; then exit 0; fi
  sleep 0.1
done
echo "nginx.sh: nginx did not start:" >&2
cat "$dir/logs/error.log" "$dir/logs/stdout.log" >&2 || true
exit 1
