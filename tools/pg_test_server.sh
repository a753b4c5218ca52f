#!/usr/bin/env bash
# A throw-away PostgreSQL server for the tests and the benchmarks: a new
# cluster in DIR/data that listens only on a Unix socket in DIR (no TCP port).
# The server refuses to run as root, so as root it runs as the system user
# "postgres" (created by Debian's postgresql package).
#
#   tools/pg_test_server.sh start DIR   new cluster, started; prints its URI
#   tools/pg_test_server.sh stop DIR    stopped, DIR removed
#   tools/pg_test_server.sh down DIR    stopped, cluster kept
#   tools/pg_test_server.sh up DIR      the kept cluster started again
#   tools/pg_test_server.sh standby DIR PRIMARY_DIR
#                                       a streaming standby of the server in
#                                       PRIMARY_DIR (pg_basebackup -R), started;
#                                       prints its URI
#   tools/pg_test_server.sh promote DIR the standby made a primary (waits)
#
# Every role connects without a password over the socket (trust): the folder
# is the server's own and nobody else's. PG_TEST_LISTEN=127.0.0.1 (with
# PG_TEST_PORT) also opens a TCP port on that address, for the benchmark that
# runs the server inside a network namespace of its own.
set -euo pipefail

usage() { echo "uso: $0 start|stop|down|up|promote DIR | standby DIR PRIMARY_DIR" >&2; exit 2; }
[ $# -ge 2 ] || usage
command=$1
dir=$2
case "$dir" in /*) ;; *) dir="$PWD/$dir" ;; esac
if [ "$command" = standby ]; then
  [ $# -eq 3 ] || usage
  primary=$3
  case "$primary" in /*) ;; *) primary="$PWD/$primary" ;; esac
else
  [ $# -eq 2 ] || usage
fi

bindir=${PG_BINDIR:-}
if [ -z "$bindir" ]; then
  bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1 || true)
fi
if [ -z "$bindir" ] || [ ! -x "$bindir/pg_ctl" ]; then
  echo "$0: PostgreSQL non trovato (pacchetto postgresql; oppure PG_BINDIR)" >&2
  exit 1
fi

as_server=()
if [ "$(id -u)" -eq 0 ]; then
  as_server=(runuser -u postgres --)
fi

server_running() {
  [ -f "$dir/data/postmaster.pid" ] && "${as_server[@]}" "$bindir/pg_ctl" -D "$dir/data" status >/dev/null 2>&1
}

stop_server() {
  if server_running; then
    "${as_server[@]}" "$bindir/pg_ctl" -D "$dir/data" -m fast -w -t 60 stop >/dev/null
  fi
}

start_server() {
  # Frugal settings for a shared test machine; durability stays the default.
  if ! "${as_server[@]}" "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
      -o "-c listen_addresses='${PG_TEST_LISTEN:-}' -c port=${PG_TEST_PORT:-5432} -c unix_socket_directories='$dir' -c shared_buffers=16MB -c max_connections=100" \
      start >/dev/null; then
    echo "$0: il server non parte; il suo registro:" >&2
    tail -n 20 "$dir/server.log" >&2 || true
    exit 1
  fi
}

new_folder() {
  if [ -d "$dir" ]; then  # what an interrupted run left behind
    stop_server || true
    rm -rf "$dir"
  fi
  mkdir -p "$dir"
  if [ ${#as_server[@]} -gt 0 ]; then
    chown postgres: "$dir"
  fi
  chmod 755 "$dir"
}

case "$command" in
  start)
    new_folder
    if ! "${as_server[@]}" "$bindir/initdb" -D "$dir/data" -U postgres -A trust -E UTF8 \
        --locale=C.UTF-8 --no-sync >"$dir/initdb.log" 2>&1; then
      echo "$0: initdb non riuscito:" >&2
      cat "$dir/initdb.log" >&2
      exit 1
    fi
    start_server
    echo "postgresql:///postgres?host=$dir${PG_TEST_PORT:+&port=$PG_TEST_PORT}&user=postgres"
    ;;
  stop)
    stop_server
    rm -rf "$dir"
    ;;
  down)
    stop_server
    ;;
  up)
    server_running || start_server
    ;;
  standby)
    new_folder
    # A copy of the running primary that follows it (standby.signal and
    # primary_conninfo written by -R), over the primary's own socket.
    if ! "${as_server[@]}" "$bindir/pg_basebackup" -h "$primary" -p "${PG_TEST_PORT:-5432}" -U postgres \
        -D "$dir/data" -R -X stream -c fast >"$dir/basebackup.log" 2>&1; then
      echo "$0: pg_basebackup non riuscito:" >&2
      cat "$dir/basebackup.log" >&2
      exit 1
    fi
    start_server
    echo "postgresql:///postgres?host=$dir${PG_TEST_PORT:+&port=$PG_TEST_PORT}&user=postgres"
    ;;
  promote)
    "${as_server[@]}" "$bindir/pg_ctl" -D "$dir/data" -w -t 60 promote >/dev/null
    ;;
  *)
    usage
    ;;
esac
