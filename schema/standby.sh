#!/usr/bin/env bash
# Makes a streaming standby of an Orvalo server: a copy of the whole cluster
# that follows the primary continuously and can take over when the primary
# is lost. The primary is the server libpq's usual variables name (PGHOST,
# PGPORT, PGUSER, PGPASSWORD); PGUSER must be a superuser there.
set -euo pipefail

me=$(basename "$0")
ROLE=orv_replikacja

usage() {
    cat <<EOF
Usage: $me --data DIR [--port PORT] [--name NAME] [--sync] [--start] [--help]

Copies the primary named by PGHOST/PGPORT (as the superuser PGUSER) into the
empty folder DIR with pg_basebackup, through the replication role "$ROLE"
and a replication slot of the standby's name, and writes primary_conninfo,
so that the copy starts as a standby streaming from the primary.

  --data DIR   the standby's data folder (empty or missing)
  --port PORT  the port the standby listens on (default 5432)
  --name NAME  the standby's name, its slot's and its application_name
               (default orvalo_standby)
  --sync       make the primary wait for this standby at every commit
               (synchronous_standby_names): a command reported as saved is
               then on the standby too
  --start      start the standby when the copy is made
  --help       show this text

The replication role's password comes from ORV_REPLICATION_PASSWORD (asked
for on a terminal when unset). The primary needs wal_level = replica or
logical and a pg_hba.conf line that lets "$ROLE" connect for replication
from the standby's machine, for example:
  host  replication  $ROLE  192.168.1.0/24  scram-sha-256
EOF
}

DATA=
PORT=5432
NAME=orvalo_standby
sync=0
start=0
while [ $# -gt 0 ]; do
    case "$1" in
        --data) [ $# -ge 2 ] || { usage >&2; exit 2; }; DATA=$2; shift ;;
        --port) [ $# -ge 2 ] || { usage >&2; exit 2; }; PORT=$2; shift ;;
        --name) [ $# -ge 2 ] || { usage >&2; exit 2; }; NAME=$2; shift ;;
        --sync) sync=1 ;;
        --start) start=1 ;;
        -h|--help) usage; exit 0 ;;
        *) echo "$me: unknown option: $1" >&2; usage >&2; exit 2 ;;
    esac
    shift
done
refuse() { echo "$me: $*" >&2; exit 1; }
[ -n "$DATA" ] || { usage >&2; exit 2; }
[[ "$NAME" =~ ^[a-z_][a-z0-9_]*$ ]] || refuse "the name must be lower-case letters, digits and underscores."
[[ "$PORT" =~ ^[0-9]+$ ]] || refuse "the port must be a number."
if [ -e "$DATA" ] && [ -n "$(ls -A "$DATA" 2>/dev/null)" ]; then
    refuse "$DATA is not empty; nothing was changed."
fi

# The server refuses to run as root: as root, the copy belongs to postgres.
as_pg() {
    if [ "$(id -u)" -eq 0 ]; then
        (cd /tmp && runuser -u postgres -- "$@")
    else
        "$@"
    fi
}
pgbin=$(pg_config --bindir 2>/dev/null || ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -x "$pgbin/pg_basebackup" ] || refuse "pg_basebackup not found; install the PostgreSQL server package."

server="${PGHOST:-local socket}:${PGPORT:-5432}"
psql_cmd=(psql -X -q -v ON_ERROR_STOP=1 -d postgres)
recovery=$("${psql_cmd[@]}" -tA -c "SELECT pg_is_in_recovery()") || refuse "cannot connect to the primary at $server."
[ "$recovery" = f ] || refuse "the server at $server is itself a standby; name the primary."
wal=$("${psql_cmd[@]}" -tA -c "SHOW wal_level")
[ "$wal" != minimal ] || refuse "wal_level is minimal on $server; set it to replica and restart the primary."

password=${ORV_REPLICATION_PASSWORD:-}
if [ -z "$password" ]; then
    [ -t 0 ] || refuse "set ORV_REPLICATION_PASSWORD to the replication role's password."
    read -r -s -p "Password of the replication role $ROLE: " password
    echo
fi
[ -n "$password" ] || refuse "the replication role needs a password."

# The role and the slot: the primary keeps the WAL the standby has not read yet.
"${psql_cmd[@]}" -v role="$ROLE" -v pw="$password" -v slot="$NAME" >/dev/null <<'SQL'
SET log_statement = 'none';
SELECT format('CREATE ROLE %I LOGIN REPLICATION PASSWORD %L', :'role', :'pw')
 WHERE NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = :'role') \gexec
SELECT format('ALTER ROLE %I LOGIN REPLICATION PASSWORD %L', :'role', :'pw')
 WHERE EXISTS (SELECT 1 FROM pg_roles WHERE rolname = :'role') \gexec
SELECT pg_create_physical_replication_slot(:'slot')
 WHERE NOT EXISTS (SELECT 1 FROM pg_replication_slots WHERE slot_name = :'slot');
SQL

mkdir -p "$DATA"
chmod 700 "$DATA"
[ "$(id -u)" -eq 0 ] && chown postgres: "$DATA"
echo "Copying the primary at $server into $DATA..."
as_pg env PGPASSWORD="$password" "$pgbin/pg_basebackup" -D "$DATA" -X stream -c fast -R -S "$NAME" \
    -d "host=${PGHOST:-localhost} port=${PGPORT:-5432} user=$ROLE application_name=$NAME sslmode=${PGSSLMODE:-prefer}" \
    || refuse "pg_basebackup failed (see above); $DATA may hold a partial copy: remove it before trying again."
# The standby's own port; the rest of the configuration is the primary's.
as_pg sh -c "echo \"port = $PORT\" >> '$DATA/postgresql.auto.conf'"

if [ "$sync" -eq 1 ]; then
    "${psql_cmd[@]}" -c "ALTER SYSTEM SET synchronous_standby_names = '\"$NAME\"'" -c "SELECT pg_reload_conf()" >/dev/null
    echo "The primary now waits at every commit until the standby \"$NAME\" has it."
    echo "While the standby is away, commits on the primary wait: take it out with"
    echo "  ALTER SYSTEM RESET synchronous_standby_names; SELECT pg_reload_conf();"
fi
if [ "$start" -eq 1 ]; then
    as_pg "$pgbin/pg_ctl" -D "$DATA" -l "$DATA/standby.log" -w -o "-p $PORT" start >/dev/null \
        || refuse "the standby did not start; see $DATA/standby.log."
    echo "The standby \"$NAME\" runs on port $PORT and streams from $server."
fi
cat <<EOF

When the primary is lost, promote the standby on its machine:
  pg_ctl -D $DATA promote        (or, connected to it: SELECT pg_promote();)
Workstations whose connection profile lists both servers ("Serwery zapasowe")
then continue on the promoted server by themselves. Do not start the old
primary again as a primary: make it a standby of the new one with this script.
EOF
