#!/usr/bin/env bash
# Installs what is missing, builds, makes sure the local PostgreSQL serves
# the TAV_ORV database with the schema and demo data, and starts Orvalo.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")" && pwd)
. "$ROOT/scripts/lib.sh"

# --server-rights: the demo with rights kept by the server (accounts of
# their own for the demo users); everything else goes to the program.
server_rights=0
if [ "${1:-}" = --server-rights ]; then
    server_rights=1
    shift
fi

orv_install_packages
orv_build_program "$ROOT"

PGBIN=$(orv_pg_bindir)
PGVER=$(basename "$(dirname "$PGBIN")")
pg_as_admin() {
    if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else sudo -u postgres "$@"; fi
}

if ! pg_lsclusters -h 2>/dev/null | grep -q .; then
    orv_say "Creating the PostgreSQL cluster $PGVER/main"
    orv_sudo pg_createcluster "$PGVER" main >/dev/null
fi
CLUSTER_LINE=$(pg_lsclusters -h | head -n 1)
CL_VER=$(echo "$CLUSTER_LINE" | awk '{print $1}')
CL_NAME=$(echo "$CLUSTER_LINE" | awk '{print $2}')
CL_PORT=$(echo "$CLUSTER_LINE" | awk '{print $3}')
if ! echo "$CLUSTER_LINE" | grep -q online; then
    orv_say "Starting PostgreSQL $CL_VER/$CL_NAME"
    orv_sudo pg_ctlcluster "$CL_VER" "$CL_NAME" start
fi
orv_say "Using the PostgreSQL cluster $CL_VER/$CL_NAME on port $CL_PORT"
if [ "$CL_PORT" != 5432 ]; then
    echo "Note: the local PostgreSQL listens on port $CL_PORT; the default profile uses 5432." >&2
fi

# The postgres account may not see into our checkout: hand it a copy.
SCHEMA_COPY=$(mktemp -d)
trap 'rm -rf "$SCHEMA_COPY"' EXIT
cp -r "$ROOT/schema/." "$SCHEMA_COPY/"
chmod -R a+rX "$SCHEMA_COPY"
schema_tool() { (cd /tmp && pg_as_admin env PGPORT="$CL_PORT" PGUSER=postgres "$SCHEMA_COPY/$@"); }

if (cd /tmp && pg_as_admin psql -X -p "$CL_PORT" -d postgres -tAc "SELECT 1 FROM pg_database WHERE datname = 'TAV_ORV'") | grep -q 1; then
    state=0
    schema_tool upgrade.sh --check || state=$?
    case "$state" in
        0) orv_say "Database TAV_ORV is in place" ;;
        3)
            # Older than this program: upgraded in place, after a backup the
            # postgres account keeps in its own home.
            BACKUP_DIR=$(getent passwd postgres | cut -d: -f6)/orvalo-kopie
            BACKUP=$BACKUP_DIR/TAV_ORV-$(date +%Y%m%d-%H%M%S).dump
            pg_as_admin mkdir -p "$BACKUP_DIR"
            orv_say "Upgrading database TAV_ORV to the program's schema (backup first: $BACKUP)"
            schema_tool upgrade.sh --backup "$BACKUP" >/dev/null
            ;;
        *) schema_tool upgrade.sh --dry-run; exit 1 ;;
    esac
else
    orv_say "Creating database TAV_ORV with demo data"
    schema_tool create.sh --demo
fi
if [ "$server_rights" -eq 1 ]; then
    orv_say "Rights kept by the server: demo users sign in with accounts of their own"
    schema_tool server_rights.sh --demo
fi

orv_say "Starting Orvalo (demo accounts: admin/admin, kierownik/kierownik)"
rm -rf "$SCHEMA_COPY"
trap - EXIT
exec "$ROOT/build/bin/orvalo" "$@"
