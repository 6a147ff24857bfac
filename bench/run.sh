#!/usr/bin/env bash
# Runs the benchmarks on a throwaway PostgreSQL cluster, as test.sh does.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/lib.sh"
orv_install_packages
orv_build "$ROOT"

PGBIN=$(orv_pg_bindir)
CLUSTER=$(mktemp -d /tmp/orvalo-bench-pg.XXXXXX)
[ "$(id -u)" -eq 0 ] && chown postgres: "$CLUSTER"
PORT=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
trap 'orv_as_pg "$PGBIN/pg_ctl" -D "$CLUSTER/data" -m immediate stop >/dev/null 2>&1 || true; rm -rf "$CLUSTER"' EXIT
orv_as_pg "$PGBIN/initdb" -D "$CLUSTER/data" -U postgres --auth=trust -E UTF8 --locale=C.UTF-8 >/dev/null
orv_as_pg "$PGBIN/pg_ctl" -D "$CLUSTER/data" -l "$CLUSTER/server.log" -w \
    -o "-p $PORT -k $CLUSTER -c listen_addresses=127.0.0.1" start >/dev/null
PGHOST=127.0.0.1 PGPORT=$PORT PGUSER=postgres "$ROOT/schema/create.sh" --demo >/dev/null

export PGHOST=127.0.0.1 PGPORT=$PORT PGUSER=tav_orv_user PGPASSWORD=MOB_tae QT_QPA_PLATFORM=offscreen
# Fills first, then three rounds of the raw baseline and the program's own reading.
bench() {
    local bin="$ROOT/build/bin/$1" rows=$2 own=$3
    "$bin" --mode=fill --rows="$rows"
    for i in 1 2 3; do
        "$bin" --mode=raw
        "$bin" --mode="$own"
    done
}
bench bench_select "${ROWS:-100000}" model
bench bench_registerview "${WAREHOUSES:-10000}" open
# The tools register printed to PDF, then the preview's first page.
bench bench_reports "${ROWS:-100000}" pdf
"$ROOT/build/bin/bench_reports" --mode=preview
