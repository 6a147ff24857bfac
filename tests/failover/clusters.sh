#!/usr/bin/env bash
# Two local clusters for the failover test: a primary with the demo database
# and a synchronous streaming standby made by schema/standby.sh.
#   clusters.sh start DIR     prints "PRIMARY_PORT STANDBY_PORT"
#   clusters.sh kill DIR      the primary stops at once, as if its machine died
#   clusters.sh promote DIR   the standby becomes the primary
#   clusters.sh stop DIR      both stop; DIR is removed
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
. "$ROOT/scripts/lib.sh"
cmd=$1 dir=$2
pgbin=$(orv_pg_bindir)
case "$cmd" in
start)
    mkdir -p "$dir"
    [ "$(id -u)" -eq 0 ] && chown postgres: "$dir"
    free() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
    primary=$(free) standby=$(free)
    echo orvalo-test > "$dir/pw"
    [ "$(id -u)" -eq 0 ] && chown postgres: "$dir/pw"
    orv_as_pg "$pgbin/initdb" -D "$dir/p" -U postgres --auth=scram-sha-256 --pwfile="$dir/pw" -E UTF8 \
        --locale=C.UTF-8 >/dev/null
    orv_as_pg "$pgbin/pg_ctl" -D "$dir/p" -l "$dir/p.log" -w \
        -o "-p $primary -k $dir -c listen_addresses=127.0.0.1" start >/dev/null
    export PGHOST=127.0.0.1 PGPORT=$primary PGUSER=postgres PGPASSWORD=orvalo-test
    "$ROOT/schema/create.sh" --demo >/dev/null
    ORV_REPLICATION_PASSWORD=replikacja "$ROOT/schema/standby.sh" --data "$dir/s" --port "$standby" \
        --name stanowisko_zapasowe $([ "${ORV_FAILOVER_ASYNC:-0}" = 1 ] || echo --sync) --start >/dev/null
    echo "$primary $standby"
    ;;
kill) orv_as_pg "$pgbin/pg_ctl" -D "$dir/p" -m immediate stop >/dev/null ;;
promote) orv_as_pg "$pgbin/pg_ctl" -D "$dir/s" -w promote >/dev/null ;;
stop)
    orv_as_pg "$pgbin/pg_ctl" -D "$dir/p" -m immediate stop >/dev/null 2>&1 || true
    orv_as_pg "$pgbin/pg_ctl" -D "$dir/s" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$dir"
    ;;
esac
