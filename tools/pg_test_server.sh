#!/usr/bin/env bash
# A throw-away PostgreSQL server for the tests and the benchmarks: a new
# cluster in DIR/data that listens only on a Unix socket in DIR (no TCP port).
# The server refuses to run as root, so as root it runs as the system user
# "postgres" (created by Debian's postgresql package).
#
#   tools/pg_test_server.sh start DIR   new cluster, started; prints its URI
#   tools/pg_test_server.sh start-tls DIR
#                                       new cluster with TLS (ssl=on) on
#                                       127.0.0.1 and a free port, its
#                                       certificates made in DIR/tls by a test
#                                       CA (root.crt; the server's is made out
#                                       to "localhost") beside another CA
#                                       (other-root.crt); prints a connection
#                                       string with sslmode=verify-full
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

usage() { echo "uso: $0 start|start-tls|stop|down|up|promote DIR | standby DIR PRIMARY_DIR" >&2; exit 2; }
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
  # A TLS cluster keeps its address and port (in DIR/listen) across down and up.
  if [ -f "$dir/listen" ]; then
    read -r PG_TEST_LISTEN PG_TEST_PORT < "$dir/listen"
  fi
  # Frugal settings for a shared test machine; durability stays the default.
  # A few prepared transactions are allowed, as a server may allow them, so
  # that the office guard's handling of an abandoned one can be tried.
  if ! "${as_server[@]}" "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
      -o "-c listen_addresses='${PG_TEST_LISTEN:-}' -c port=${PG_TEST_PORT:-5432} -c unix_socket_directories='$dir' -c shared_buffers=16MB -c max_connections=100 -c max_prepared_transactions=4" \
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

new_cluster() {
  if ! "${as_server[@]}" "$bindir/initdb" -D "$dir/data" -U postgres -A trust -E UTF8 \
      --locale=C.UTF-8 --no-sync >"$dir/initdb.log" 2>&1; then
    echo "$0: initdb non riuscito:" >&2
    cat "$dir/initdb.log" >&2
    exit 1
  fi
}

# The test CA (root.crt), the server's certificate it signs, made out to
# localhost, and another CA (other-root.crt) that signs nothing of the server.
make_certificates() {
  local tls="$dir/tls"
  mkdir -p "$tls"
  (
    cd "$tls"
    key="-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes"
    for ca in root other-root; do
      openssl req -x509 $key -keyout "$ca.key" -out "$ca.crt" -days 2 -subj "/CN=CA-$ca-di-prova" \
        -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign 2>/dev/null
    done
    openssl req $key -keyout server.key -out server.csr -subj /CN=localhost 2>/dev/null
    printf 'subjectAltName = DNS:localhost\nextendedKeyUsage = serverAuth\n' > server.ext
    openssl x509 -req -in server.csr -CA root.crt -CAkey root.key -CAcreateserial -out server.crt -days 2 \
      -extfile server.ext 2>/dev/null
    rm -f root.key other-root.key server.csr server.ext root.srl
  )
  cp "$tls/server.crt" "$tls/server.key" "$dir/data/"
  chmod 600 "$dir/data/server.key"
  if [ ${#as_server[@]} -gt 0 ]; then
    chown postgres: "$dir/data/server.crt" "$dir/data/server.key"
  fi
  printf "ssl = on\nssl_cert_file = 'server.crt'\nssl_key_file = 'server.key'\n" >> "$dir/data/postgresql.conf"
}

# A port on 127.0.0.1 that nothing listens on.
free_port() {
  local port tries
  for tries in 1 2 3 4 5 6 7 8 9 10; do
    port=$((20000 + RANDOM % 40000))
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
      echo "$port"
      return
    fi
  done
  echo "$0: nessuna porta libera trovata" >&2
  exit 1
}

case "$command" in
  start)
    new_folder
    new_cluster
    start_server
    echo "postgresql:///postgres?host=$dir${PG_TEST_PORT:+&port=$PG_TEST_PORT}&user=postgres"
    ;;
  start-tls)
    new_folder
    new_cluster
    make_certificates
    echo "127.0.0.1 ${PG_TEST_PORT:-$(free_port)}" > "$dir/listen"
    start_server
    echo "host=localhost hostaddr=127.0.0.1 port=$PG_TEST_PORT dbname=postgres user=postgres sslmode=verify-full sslrootcert=$dir/tls/root.crt"
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
