#!/usr/bin/env bash
# Installs what is missing, builds, makes sure the local PostgreSQL serves
# the TAV_ORV database with the schema and demo data, and starts Orvalo.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")" && pwd)
. "$ROOT/scripts/lib.sh"

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

if (cd /tmp && pg_as_admin psql -X -p "$CL_PORT" -d postgres -tAc "SELECT 1 FROM pg_database WHERE datname = 'TAV_ORV'") | grep -q 1; then
    orv_say "Database TAV_ORV is in place"
else
    orv_say "Creating database TAV_ORV with demo data"
    # The postgres account may not see into our checkout: hand it a copy.
    SCHEMA_COPY=$(mktemp -d)
    cp -r "$ROOT/schema/." "$SCHEMA_COPY/"
    chmod -R a+rX "$SCHEMA_COPY"
    (cd /tmp && pg_as_admin env PGPORT="$CL_PORT" PGUSER=postgres "$SCHEMA_COPY/create.sh" --demo)
    rm -rf "$SCHEMA_COPY"
fi

orv_say "Starting Orvalo (demo accounts: admin/admin, kierownik/kierownik)"
exec "$ROOT/build/bin/orvalo" "$@"
