#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the class server's tests, as a school's would be
# reached: TCP on 127.0.0.1 only, TLS with a certificate from a CA of its own,
# scram-sha-256 passwords. Nothing of a system-wide PostgreSQL is used or touched.
#
# Usage: tools/pg-cluster.sh start DIR   starts it and writes DIR/env (libpq's variables:
#                                        PGHOST, PGPORT, PGSSLROOTCERT, PGDATABASE, and the
#                                        database owner as PGUSER/PGPASSWORD)
#        tools/pg-cluster.sh crash DIR   stops the server at once, as a power cut would, and
#                                        starts it again on the same port
#        tools/pg-cluster.sh stop DIR    stops it and removes it
# Where PostgreSQL is missing, start says so and ends with 77 (skipped, to CTest).
set -euo pipefail

usage() { echo "usage: $0 start|crash|stop DIR" >&2; exit 2; }
[ $# -eq 2 ] || usage
dir=$(realpath -m "$2")
# PostgreSQL never runs as root: root runs it as a system user of its own.
server_user=bimbala-test

as_server() {
    if [ "$(id -u)" -eq 0 ]; then runuser -u "$server_user" -- "$@"; else "$@"; fi
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
# Commits stay synchronous (PostgreSQL's default), so that a server stopped at once keeps
# every transaction it said was committed, as a school's server does.
superuser=bimbala_test_super
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
max_connections = 30
EOF
# TLS with a password from 127.0.0.1, or the server's own user on the socket to set up.
cat > "$cluster/data/pg_hba.conf" << EOF
local   all  $superuser              peer map=setup
hostssl all  all        127.0.0.1/32 scram-sha-256
EOF
echo "setup $(as_server id -un) $superuser" > "$cluster/data/pg_ident.conf"

# A free port: another server may hold any, so a port taken is tried again with another.
for _ in $(seq 20); do
    port=$((20000 + RANDOM % 40000))
    as_server "$bindir/pg_ctl" -D "$cluster/data" -o "-p $port" -l "$cluster/server.log" -w -s start \
        && break
    grep -q "could not bind\|could not create any TCP/IP sockets" "$cluster/server.log" || exit 1
    port=
done
[ -n "$port" ] || { echo "pg-cluster: no free port found" >&2; exit 1; }

# The database and its owner, made as docs/class-server.md makes them.
password=$(openssl rand -hex 16)
as_server "$bindir/psql" -q -h "$cluster" -p "$port" -U "$superuser" -d postgres -v ON_ERROR_STOP=1 \
    -c "CREATE ROLE bimbala_owner LOGIN CREATEROLE PASSWORD '$password'" \
    -c "CREATE DATABASE bimbala OWNER bimbala_owner"

cat >> "$dir/env" << EOF
PGHOST=127.0.0.1
PGPORT=$port
PGSSLMODE=verify-full
PGSSLROOTCERT=$cluster/ca.crt
PGDATABASE=bimbala
PGUSER=bimbala_owner
PGPASSWORD=$password
EOF
ready=1
