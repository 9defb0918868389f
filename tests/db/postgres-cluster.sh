#!/usr/bin/env bash
# A throw-away PostgreSQL server for the database tests (ctest fixture):
#   postgres-cluster.sh start DIR   initdb + pg_ctl on a free loopback port;
#                                   writes DIR/conninfo when the server runs
#   postgres-cluster.sh stop DIR    stops it and removes DIR
# Where no server can start (no postgresql package), start says why and
# exits 0 without conninfo: the tests then skip with that message.
# The server refuses to run as root, so under root it runs as "postgres".
set -uo pipefail
mode=${1:?start|stop}
dir=${2:?DIR}

bindir() {
  local d
  for d in $(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V -r); do
    [ -x "$d/initdb" ] && { echo "$d"; return; }
  done
  command -v initdb >/dev/null && dirname "$(command -v initdb)"
}

as_owner() {
  if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

case "$mode" in
  start)
    rm -rf "$dir"
    mkdir -p "$dir"
    bin=$(bindir)
    if [ -z "$bin" ]; then
      echo "PostgreSQL tests skipped: no initdb (Debian package postgresql)" | tee "$dir/skipped"
      exit 0
    fi
    if [ "$(id -u)" = 0 ] && ! id postgres >/dev/null 2>&1; then
      echo "PostgreSQL tests skipped: running as root and there is no postgres user" | tee "$dir/skipped"
      exit 0
    fi
    [ "$(id -u)" = 0 ] && chown postgres "$dir"
    port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    # Trust on the socket and for the test user; the user orrpw must give a password over TCP.
    if ! as_owner "$bin/initdb" -D "$dir/data" -A trust -U orrtest -E UTF8 --no-sync >"$dir/initdb.log" 2>&1; then
      echo "PostgreSQL tests skipped: initdb failed ($(tail -1 "$dir/initdb.log"))" | tee "$dir/skipped"
      exit 0
    fi
    as_owner sh -c "{ echo 'host all orrpw 127.0.0.1/32 scram-sha-256'; cat '$dir/data/pg_hba.conf'; } > '$dir/data/hba' &&
      mv '$dir/data/hba' '$dir/data/pg_hba.conf'"
    if ! as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 120 \
        -o "-p $port -k $dir -c listen_addresses=127.0.0.1 -F -c max_connections=40" start >/dev/null; then
      echo "PostgreSQL tests skipped: the server did not start ($(tail -1 "$dir/server.log"))" | tee "$dir/skipped"
      exit 0
    fi
    echo "$bin" >"$dir/bindir"
    echo "host=127.0.0.1 port=$port user=orrtest dbname=postgres" >"$dir/conninfo"
    echo "PostgreSQL test server on 127.0.0.1:$port"
    ;;
  stop)
    if [ -f "$dir/bindir" ]; then
      as_owner "$(cat "$dir/bindir")/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1
    fi
    rm -rf "$dir"
    ;;
  *)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac
