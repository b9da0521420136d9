#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the class server's tests, as a school's would be
# reached: TCP on 127.0.0.1 only, TLS with a certificate from a CA of its own,
# scram-sha-256 passwords. Nothing of a system-wide PostgreSQL is used or touched.
# The administrator is the cluster's superuser, reached only on its socket with peer
# authentication, as a school's `postgres` is on the server itself.
#
# Usage: tools/pg-cluster.sh start DIR   starts it and writes DIR/env: libpq's variables for
#                                        the learners' TCP (PGHOST, PGPORT, PGSSLMODE,
#                                        PGSSLROOTCERT, PGDATABASE), the superuser as PGUSER,
#                                        the folder of its socket as BIMBALA_PG_SOCKET, and
#                                        BIMBALA_SECOND_DATABASE, a second class database
#                                        that server/class-server.sql has been run on
#        tools/pg-cluster.sh psql DIR [ARGS...]
#                                        psql as the superuser on the socket, on the
#                                        database bimbala unless ARGS name another
#        tools/pg-cluster.sh crash DIR   stops the server at once, as a power cut would, and
#                                        starts it again on the same port
#        tools/pg-cluster.sh stop DIR    stops it and removes it
# Where PostgreSQL is missing, start says so and ends with 77 (skipped, to CTest).
set -euo pipefail

usage() { echo "usage: $0 start|crash|stop DIR | $0 psql DIR [ARGS...]" >&2; exit 2; }
[ $# -eq 2 ] || { [ $# -gt 2 ] && [ "$1" = psql ]; } || usage
dir=$(realpath -m "$2")
script=$(realpath "$(dirname "$0")/../server/class-server.sql")
# PostgreSQL never runs as root: root runs it as a system user of its own.
server_user=bimbala-test
superuser=bimbala_test_super

as_server() {
    if [ "$(id -u)" -eq 0 ]; then runuser -u "$server_user" -- "$@"; else "$@"; fi
}

# The caller maps to the superuser on the socket (pg_ident.conf below).
as_superuser() {
    "$bindir/psql" -X -h "$(sed -n 's/^BIMBALA_PG_SOCKET=//p' "$dir/env")" -p "$(sed -n 's/^PGPORT=//p' "$dir/env")" \
        -U "$superuser" -d bimbala "$@"
}

stop() {
    [ -f "$dir/env" ] || return 0
    cluster=$(sed -n 's/^BIMBALA_PG_CLUSTER=//p' "$dir/env")
    (cd / && as_server "$bindir/pg_ctl" -D "$cluster/data" -m immediate -s stop 2> /dev/null) || true
    rm -rf "$cluster" "$dir/env"
}

crash() {
    cluster=$(sed -n 's/^BIMBALA_PG_CLUSTER=//p' "$dir/env")
    port=$(sed -n 's/^PGPORT=//p' "$dir/env")
    cd /
    as_server "$bindir/pg_ctl" -D "$cluster/data" -m immediate -s stop
    as_server "$bindir/pg_ctl" -D "$cluster/data" -o "-p $port" -l "$cluster/server.log" -w -s start
}

bindir=${PG_BINDIR:-/usr/lib/postgresql/15/bin}
case "$1" in
stop) stop; exit 0 ;;
crash) crash; exit 0 ;;
psql) shift 2; as_superuser "$@"; exit ;;
start) ;;
*) usage ;;
esac

if [ ! -x "$bindir/initdb" ]; then
    echo "pg-cluster: PostgreSQL 15's server is not installed (Debian package postgresql-15); not started."
    exit 77
fi
mkdir -p "$dir"
stop # what an earlier run left
if [ "$(id -u)" -eq 0 ] && ! id "$server_user" > /dev/null 2>&1; then
    useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$server_user"
fi
# The cluster lives under /tmp: a socket's path has room for 107 bytes only, and every
# folder above it must be open to the server's user, which a build folder need not be.
cluster=$(mktemp -d "${TMPDIR:-/tmp}/bimbala-pg.XXXXXX")
echo "BIMBALA_PG_CLUSTER=$cluster" > "$dir/env"
# Whatever fails from here on leaves nothing behind: the logs are shown, the cluster removed.
ready=
trap '[ -n "$ready" ] || { cat "$cluster"/*.log >&2 2> /dev/null; stop; }' EXIT
[ "$(id -u)" -eq 0 ] && chown "$server_user:" "$cluster"
cd "$cluster"

# A CA and a server certificate for 127.0.0.1 and localhost, made anew each time.
# Elliptic-curve keys: made in a few milliseconds, where an RSA key takes tens or hundreds.
as_server sh -ec '
    umask 077
    openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 \
        -subj "/CN=Bimbala test CA" -keyout ca.key -out ca.crt 2> /dev/null
    openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes \
        -subj "/CN=127.0.0.1" -keyout server.key -out server.csr 2> /dev/null
    printf "subjectAltName=IP:127.0.0.1,DNS:localhost\n" > server.ext
    openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -days 2 \
        -extfile server.ext -out server.crt 2> /dev/null
    chmod 644 ca.crt'

# -N and fsync off: nothing is synced to disk; the cluster is gone after the tests anyway.
# Commits stay synchronous, so that a server stopped at once or a backend killed keeps every
# transaction it said was committed, as a school's server does: its log reaches the kernel
# before the COMMIT is answered, and only the machine's own crash could lose what fsync
# would have put on the disk.
as_server "$bindir/initdb" -N -D "$cluster/data" -U "$superuser" -E UTF8 --locale=C \
    --auth-local=peer --auth-host=scram-sha-256 > "$cluster/initdb.log"
cat >> "$cluster/data/postgresql.conf" << EOF
listen_addresses = '127.0.0.1'
unix_socket_directories = '$cluster'
unix_socket_permissions = 0700
ssl = on
ssl_cert_file = '$cluster/server.crt'
ssl_key_file = '$cluster/server.key'
fsync = off
full_page_writes = off
synchronous_commit = on
max_connections = 40
EOF
# TLS with a password from 127.0.0.1; the superuser on the socket only, as the server's own
# user or as whoever started the cluster.
cat > "$cluster/data/pg_hba.conf" << EOF
local   all  $superuser              peer map=setup
hostssl all  all        127.0.0.1/32 scram-sha-256
EOF
printf 'setup %s %s\nsetup %s %s\n' "$(as_server id -un)" "$superuser" "$(id -un)" "$superuser" > "$cluster/data/pg_ident.conf"

# A free port: another server may hold any, so a port taken is tried again with another.
for _ in $(seq 20); do
    port=$((20000 + RANDOM % 40000))
    as_server "$bindir/pg_ctl" -D "$cluster/data" -o "-p $port" -l "$cluster/server.log" -w -s start \
        && break
    grep -q "could not bind\|could not create any TCP/IP sockets" "$cluster/server.log" || exit 1
    port=
done
[ -n "$port" ] || { echo "pg-cluster: no free port found" >&2; exit 1; }

cat >> "$dir/env" << EOF
PGHOST=127.0.0.1
PGPORT=$port
PGSSLMODE=verify-full
PGSSLROOTCERT=$cluster/ca.crt
PGDATABASE=bimbala
PGUSER=$superuser
BIMBALA_PG_SOCKET=$cluster
BIMBALA_SECOND_DATABASE=bimbala2
EOF
# The databases, the superuser's, as docs/class-server.md makes them; the script is run on
# the second one here, and on the first by the tests, which try running it.
as_superuser -q -d postgres -v ON_ERROR_STOP=1 -c "CREATE DATABASE bimbala" -c "CREATE DATABASE bimbala2"
as_superuser -q -d bimbala2 -v ON_ERROR_STOP=1 -1 -f "$script"
ready=1
