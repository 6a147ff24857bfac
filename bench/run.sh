#!/usr/bin/env bash
# Runs the benchmarks on a throwaway PostgreSQL cluster, as test.sh does, and
# ends with one GOAL line per goal (medians of the rounds).
#
#   ROWS      rows per register at the larger size (10 000 is the smaller;
#             up to 1 000 000; default 100 000)
#   ROUNDS    rounds of each register at each size (default 2)
#   BENCH_NO_BUILD=1   use the existing build as it is (no packages, no build)
#   BENCH_ROOT         the tree whose build/bin is run (default: this one)
#   HISTORY   history entries for the history's steps (default 1 000 000;
#             0 leaves them out)
#   BENCH_SERVER_RIGHTS=1  the database keeps rights on the server and the
#                      program (and the libpq anchor) sign in with the
#                      administrator's own account
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/lib.sh"
BENCH_ROOT=${BENCH_ROOT:-$ROOT}
ROWS=${ROWS:-100000}
ROUNDS=${ROUNDS:-2}
if ! [[ "$ROWS" =~ ^[0-9]+$ ]] || [ "$ROWS" -lt 10000 ] || [ "$ROWS" -gt 1000000 ]; then
    echo "ROWS must be a number from 10000 to 1000000." >&2
    exit 2
fi
if [ "${BENCH_NO_BUILD:-0}" != 1 ]; then
    orv_install_packages
    orv_build "$BENCH_ROOT"
fi

PGBIN=$(orv_pg_bindir)
CLUSTER=$(mktemp -d /tmp/orvalo-bench-pg.XXXXXX)
[ "$(id -u)" -eq 0 ] && chown postgres: "$CLUSTER"
PORT=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
trap 'orv_as_pg "$PGBIN/pg_ctl" -D "$CLUSTER/data" -m immediate stop >/dev/null 2>&1 || true; rm -rf "$CLUSTER"' EXIT
orv_as_pg "$PGBIN/initdb" -D "$CLUSTER/data" -U postgres --auth=trust -E UTF8 --locale=C.UTF-8 >/dev/null
orv_as_pg "$PGBIN/pg_ctl" -D "$CLUSTER/data" -l "$CLUSTER/server.log" -w \
    -o "-p $PORT -k $CLUSTER -c listen_addresses=127.0.0.1" start >/dev/null
PGHOST=127.0.0.1 PGPORT=$PORT PGUSER=postgres "$BENCH_ROOT/schema/create.sh" --demo >/dev/null
if [ "${BENCH_SERVER_RIGHTS:-0}" = 1 ]; then
    PGHOST=127.0.0.1 PGPORT=$PORT PGUSER=postgres "$BENCH_ROOT/schema/server_rights.sh" --demo >/dev/null
    as_user() { PGUSER=tav_orv.admin PGPASSWORD=admin "$@"; }
else
    as_user() { PGUSER=tav_orv_user PGPASSWORD=MOB_tae "$@"; }
fi

export PGHOST=127.0.0.1 PGPORT=$PORT QT_QPA_PLATFORM=offscreen
BIN="$BENCH_ROOT/build/bin"
OUT=$(mktemp)
rounds() {
    local reg=$1 size=$2 i
    for ((i = 1; i <= ROUNDS; i++)); do
        as_user "$BIN/bench_registers" --mode=raw --register="$reg" --size="$size" | tee -a "$OUT"
        as_user "$BIN/bench_registers" --mode=model --register="$reg" --size="$size" | tee -a "$OUT"
    done
}
# Tools and each movement register at both sizes; "live" is the tools register
# while another workstation writes. A second fill adds only the shortfall.
SIZES=(10000)
[ "$ROWS" -gt 10000 ] && SIZES+=("$ROWS")
for size in "${SIZES[@]}"; do
    PGUSER=postgres "$BIN/bench_registers" --mode=fill --tools="$size" --transfers="$size" --issues="$size" \
        --repairs="$size" | tee -a "$OUT"
    for reg in tools transfers issues repairs live; do
        rounds "$reg" "$size"
    done
    # One scan and the closing of a stocktake of a 10 000-tool warehouse.
    PGUSER=postgres "$BIN/bench_stocktake" --mode=fill --warehouse-tools=10000
    for ((i = 1; i <= ROUNDS; i++)); do
        as_user env BENCH_TOOLS="$size" "$BIN/bench_stocktake" --mode=raw | tee -a "$OUT"
        as_user env BENCH_TOOLS="$size" "$BIN/bench_stocktake" --mode=model | tee -a "$OUT"
    done
    # The tools register read with libpq, printed to PDF, then the preview's
    # first page: at the largest size up to 100 000 rows (a million tools
    # print to fifty thousand pages).
    if [ "$size" = "${SIZES[-1]}" ] && [ "$size" -le 100000 ] || { [ "$size" = 10000 ] && [ "$ROWS" -gt 100000 ]; }; then
        as_user "$BIN/bench_reports" --mode=raw
        as_user "$BIN/bench_reports" --mode=pdf
        as_user "$BIN/bench_reports" --mode=preview
    fi
done
# A 50-tool kit issued to an employee and taken back, at the larger size.
PGUSER=postgres "$BIN/bench_kits" --mode=fill --members=50
for ((i = 1; i <= ROUNDS; i++)); do
    as_user env BENCH_TOOLS="${SIZES[-1]}" "$BIN/bench_kits" --mode=raw | tee -a "$OUT"
    as_user env BENCH_TOOLS="${SIZES[-1]}" "$BIN/bench_kits" --mode=model | tee -a "$OUT"
done
# The history at size: the module, a record's tab, a tool's life; and what
# it costs a write (with the shared role, whose writes it records too).
HISTORY=${HISTORY:-1000000}
if [ "$HISTORY" -gt 0 ]; then
    PGUSER=postgres BENCH_HISTORY_SIZE=$HISTORY "$BIN/bench_history" --mode=fill --entries="$HISTORY" | tee -a "$OUT"
    for ((i = 1; i <= ROUNDS; i++)); do
        as_user env BENCH_HISTORY_SIZE="$HISTORY" "$BIN/bench_history" --mode=raw | tee -a "$OUT"
        as_user env BENCH_HISTORY_SIZE="$HISTORY" "$BIN/bench_history" --mode=model | tee -a "$OUT"
    done
    [ "${BENCH_SERVER_RIGHTS:-0}" = 1 ] || PGUSER=postgres BENCH_HISTORY_SIZE=$HISTORY "$BIN/bench_history" --mode=write | tee -a "$OUT"
fi
# The plans of every step's statements at the larger size.
as_user "$BIN/bench_registers" --mode=explain --size="$ROWS"
python3 "$ROOT/bench/summary.py" < "$OUT"
rm -f "$OUT"
