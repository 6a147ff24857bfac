#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole suite against a
# throwaway PostgreSQL cluster of its own, which is stopped at the end.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")" && pwd)
. "$ROOT/scripts/lib.sh"

orv_install_packages
orv_build "$ROOT"

PGBIN=$(orv_pg_bindir)
CLUSTER=$(mktemp -d /tmp/orvalo-test-pg.XXXXXX)
[ "$(id -u)" -eq 0 ] && chown postgres: "$CLUSTER"

# A free port of our own, away from a server that may already run here.
PORT=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])' 2>/dev/null || echo 55432)

stop_cluster() {
    orv_as_pg "$PGBIN/pg_ctl" -D "$CLUSTER/data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$CLUSTER"
}
trap stop_cluster EXIT

orv_say "Starting a throwaway PostgreSQL on port $PORT"
# Passwords are checked, as on a real server: a wrong one must fail.
SUPERPW=orvalo-test
echo "$SUPERPW" > "$CLUSTER/pw"
[ "$(id -u)" -eq 0 ] && chown postgres: "$CLUSTER/pw"
orv_as_pg "$PGBIN/initdb" -D "$CLUSTER/data" -U postgres --auth=scram-sha-256 --pwfile="$CLUSTER/pw" \
    -E UTF8 --locale=C.UTF-8 >/dev/null
orv_as_pg "$PGBIN/pg_ctl" -D "$CLUSTER/data" -l "$CLUSTER/server.log" -w \
    -o "-p $PORT -k $CLUSTER -c listen_addresses=127.0.0.1 -c fsync=off -c full_page_writes=off" start >/dev/null

export PGHOST=127.0.0.1 PGPORT=$PORT PGUSER=postgres PGPASSWORD=$SUPERPW
"$ROOT/schema/create.sh" --demo
# The tests restore this copy whenever they need a known state.
psql -X -q -d postgres -c 'CREATE DATABASE "TAV_ORV_PRISTINE" TEMPLATE "TAV_ORV"'

orv_say "Running the tests"
export ORV_TEST_PGHOST=$PGHOST ORV_TEST_PGPORT=$PGPORT ORV_TEST_PGUSER=$PGUSER ORV_TEST_PGPASSWORD=$PGPASSWORD
unset PGHOST PGPORT PGUSER PGPASSWORD
ctest --test-dir "$ROOT/build" --output-on-failure "$@"
