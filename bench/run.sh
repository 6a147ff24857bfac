#!/usr/bin/env bash
# Runs the benchmarks on a throwaway PostgreSQL cluster, as test.sh does, and
# ends with one GOAL line per goal (median of three rounds).
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

export PGHOST=127.0.0.1 PGPORT=$PORT QT_QPA_PLATFORM=offscreen
BIN="$ROOT/build/bin"
OUT=$(mktemp)
rounds() {
    local reg=$1 size=$2
    for i in 1 2 3; do
        PGUSER=tav_orv_user PGPASSWORD=MOB_tae "$BIN/bench_registers" --mode=raw --register="$reg" --size="$size" | tee -a "$OUT"
        PGUSER=tav_orv_user PGPASSWORD=MOB_tae "$BIN/bench_registers" --mode=model --register="$reg" --size="$size" | tee -a "$OUT"
    done
}
# Tools and each movement register at both sizes; "live" is the tools register
# while another workstation writes.
for size in 1000 ${ROWS:-100000}; do
    PGUSER=postgres "$BIN/bench_registers" --mode=fill --tools="$size" --transfers="$size" --issues="$size" \
        --repairs="$size"
    for reg in tools transfers issues repairs live; do
        rounds "$reg" "$size"
    done
done
# The tools register read with libpq, printed to PDF, then the preview's first page.
PGUSER=tav_orv_user PGPASSWORD=MOB_tae "$BIN/bench_reports" --mode=raw
PGUSER=tav_orv_user PGPASSWORD=MOB_tae "$BIN/bench_reports" --mode=pdf
PGUSER=tav_orv_user PGPASSWORD=MOB_tae "$BIN/bench_reports" --mode=preview
python3 "$ROOT/bench/summary.py" < "$OUT"
rm -f "$OUT"
