#!/usr/bin/env bash
# Creates the Orvalo database "TAV_ORV" and the client role on the server
# that libpq's usual variables (PGHOST, PGPORT, PGUSER, PGPASSWORD...) name.
# Run it as a role that may create roles and databases.
set -euo pipefail

DB=TAV_ORV
ROLE=tav_orv_user
ROLE_PASSWORD=MOB_tae
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

usage() {
    cat <<EOF
Usage: $(basename "$0") [--demo] [--help]

Creates the database "$DB" with the Orvalo schema on the PostgreSQL server
named by PGHOST, PGPORT and PGUSER (libpq defaults when unset), and the
role $ROLE (password $ROLE_PASSWORD) when it does not exist yet. The role
gets exactly the rights the client needs.

  --demo    also load the demo data (accounts admin/admin, kierownik/kierownik)
  --help    show this text

An existing "$DB" database is never touched: the script stops instead.
EOF
}

demo=0
for arg in "$@"; do
    case "$arg" in
        --demo) demo=1 ;;
        -h|--help) usage; exit 0 ;;
        *) echo "$(basename "$0"): unknown option: $arg" >&2; usage >&2; exit 2 ;;
    esac
done

command -v psql >/dev/null 2>&1 || {
    echo "$(basename "$0"): psql not found; install the PostgreSQL client." >&2
    exit 1
}

scripts=("$HERE"/[0-9][0-9]_*.sql)
if [ ! -f "${scripts[0]}" ]; then
    echo "$(basename "$0"): no schema scripts next to $0" >&2
    exit 1
fi
if [ "$demo" -eq 1 ] && [ ! -f "$HERE/demo.sql" ]; then
    echo "$(basename "$0"): $HERE/demo.sql is missing" >&2
    exit 1
fi

server="${PGHOST:-local socket}:${PGPORT:-5432}"
# Notices (for example from CREATE EXTENSION IF NOT EXISTS) are noise here.
export PGOPTIONS="${PGOPTIONS:-} -c client_min_messages=warning"
psql_cmd=(psql -X -q -v ON_ERROR_STOP=1)

if ! exists=$("${psql_cmd[@]}" -tA -d postgres \
        -c "SELECT count(*) FROM pg_database WHERE datname = '$DB'"); then
    echo "$(basename "$0"): cannot connect to the server at $server." >&2
    exit 1
fi
if [ "$exists" != 0 ]; then
    echo "$(basename "$0"): database \"$DB\" already exists on $server; nothing was changed." >&2
    echo "Drop it first (DROP DATABASE \"$DB\") if you really mean to create it anew." >&2
    exit 1
fi

role_state=$("${psql_cmd[@]}" -tA -d postgres \
    -c "SELECT count(*) FROM pg_roles WHERE rolname = '$ROLE'")
if [ "$role_state" = 0 ]; then
    "${psql_cmd[@]}" -d postgres -c "CREATE ROLE $ROLE LOGIN PASSWORD '$ROLE_PASSWORD'"
    role_note="created (password $ROLE_PASSWORD)"
else
    role_note="already present, left as it was"
fi

# Polish sort order ("Łódź" between "Lublin" and "Mława") from ICU, which the
# server carries itself: it does not depend on the operating system's locales.
if ! "${psql_cmd[@]}" -d postgres -c "CREATE DATABASE \"$DB\" ENCODING 'UTF8' TEMPLATE template0 \
        LOCALE_PROVIDER icu ICU_LOCALE 'pl-PL'" 2>/dev/null; then
    echo "$(basename "$0"): this server cannot sort with ICU (PostgreSQL 15 with ICU is needed);" \
         "creating \"$DB\" with the server's default sort order." >&2
    "${psql_cmd[@]}" -d postgres -c "CREATE DATABASE \"$DB\" ENCODING 'UTF8' TEMPLATE template0"
fi

# From here on the database is ours: a failure removes it again, so that the
# next run does not find a half-made "$DB".
created=1
cleanup() {
    local rc=$?
    if [ "$rc" -ne 0 ] && [ "${created:-0}" -eq 1 ]; then
        echo "$(basename "$0"): failed; removing the incomplete database \"$DB\"." >&2
        "${psql_cmd[@]}" -d postgres -c "DROP DATABASE IF EXISTS \"$DB\"" >&2 || true
    fi
    exit "$rc"
}
trap cleanup EXIT

files=()
for f in "${scripts[@]}"; do
    files+=(-f "$f")
done
[ "$demo" -eq 1 ] && files+=(-f "$HERE/demo.sql")

"${psql_cmd[@]}" -d "$DB" --single-transaction "${files[@]}"
created=0

summary=$("${psql_cmd[@]}" -tA -F ' ' -d "$DB" -c "
    SELECT (SELECT zsb_major_release_number || '.' || zsb_minor_release_number || '.' || zsb_point_release_number
              FROM zmiany_schematu_bazy ORDER BY zsb_id DESC LIMIT 1),
           (SELECT count(*) FROM information_schema.tables
             WHERE table_schema = 'public' AND table_type = 'BASE TABLE'),
           (SELECT count(*) FROM information_schema.views WHERE table_schema = 'public'),
           (SELECT count(*) FROM magazyny),
           (SELECT count(*) FROM narzedzia),
           (SELECT count(*) FROM uzytkownicy)")
read -r version tables views warehouses tools users <<<"$summary"

echo "Database \"$DB\" created on $server: schema $version, $tables tables, $views views."
echo "Role $ROLE: $role_note."
if [ "$demo" -eq 1 ]; then
    echo "Demo data: $warehouses warehouses, $tools tools, $users users;" \
         "sign in as admin/admin (administrator) or kierownik/kierownik (warehouse manager)."
fi
