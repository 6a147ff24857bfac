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
Usage: $(basename "$0") [--demo] [--server-rights] [--dbname NAME] [--version X.Y.Z] [--help]

Creates the database "$DB" with the Orvalo schema on the PostgreSQL server
named by PGHOST, PGPORT and PGUSER (libpq defaults when unset), and the
role $ROLE (password $ROLE_PASSWORD) when it does not exist yet. The role
gets exactly the rights the client needs. The schema is made by the same
steps that upgrade.sh applies to an older database.

  --demo           also load the demo data (accounts admin/admin, kierownik/kierownik)
  --server-rights  rights kept by the server (recommended for production):
                   every user signs in with a database account of their own
                   and the server refuses what the user may not do; the
                   shared role gets no access. Without --demo the first
                   administrator "admin" is made, with the password from
                   ORV_ADMIN_PASSWORD (asked for when unset). See server_rights.sh.
  --dbname NAME    create NAME instead of "$DB"
  --version X.Y.Z  stop at that schema version, as an older release made it
                   (to try an upgrade); the demo data needs the newest one
  --help           show this text

An existing database of that name is never touched: the script stops instead;
upgrade.sh brings an existing database to the newest version.
EOF
}

demo=0
server_rights=0
upto=
while [ $# -gt 0 ]; do
    case "$1" in
        --demo) demo=1 ;;
        --server-rights) server_rights=1 ;;
        --dbname) [ $# -ge 2 ] || { usage >&2; exit 2; }; DB=$2; shift ;;
        --version) [ $# -ge 2 ] || { usage >&2; exit 2; }; upto=$2; shift ;;
        -h|--help) usage; exit 0 ;;
        *) echo "$(basename "$0"): unknown option: $1" >&2; usage >&2; exit 2 ;;
    esac
    shift
done

command -v psql >/dev/null 2>&1 || {
    echo "$(basename "$0"): psql not found; install the PostgreSQL client." >&2
    exit 1
}

. "$HERE/steps.sh"
if [ -z "$(orv_steps)" ]; then
    echo "$(basename "$0"): no schema steps in $HERE/steps" >&2
    exit 1
fi
if [ -n "$upto" ] && [ -z "$(orv_steps | grep -F "/$upto.sql")" ]; then
    echo "$(basename "$0"): there is no schema version $upto; known: $(orv_steps | xargs -n1 basename | sed 's/\.sql$//' | tr '\n' ' ')" >&2
    exit 2
fi
if [ "$demo" -eq 1 ] && [ -n "$upto" ] && [ "$upto" != "$(orv_latest_version)" ]; then
    echo "$(basename "$0"): the demo data needs the newest schema ($(orv_latest_version))." >&2
    exit 2
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
orv_refuse_standby "$(basename "$0")" "$server" || exit 1
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

version=
for step in $(orv_pending_steps "" "$upto"); do
    orv_apply_step "$DB" "$version" "$step"
    version=$(orv_step_version "$step")
done
[ "$demo" -eq 1 ] && "${psql_cmd[@]}" -d "$DB" --single-transaction -f "$HERE/demo.sql"
if [ "$server_rights" -eq 1 ]; then
    rights_args=(--dbname "$DB")
    [ "$demo" -eq 1 ] && rights_args+=(--demo)
    "$HERE/server_rights.sh" "${rights_args[@]}" >/dev/null
fi
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
if [ "$server_rights" -eq 1 ]; then
    echo "Rights kept by the server: users sign in as tav_orv.<login>; role $ROLE has no access to \"$DB\"."
else
    echo "Role $ROLE: $role_note."
fi
if [ "$demo" -eq 1 ]; then
    echo "Demo data: $warehouses warehouses, $tools tools, $users users;" \
         "sign in as admin/admin (administrator) or kierownik/kierownik (warehouse manager)."
fi
