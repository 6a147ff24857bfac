#!/usr/bin/env bash
# Brings an existing Orvalo database to the newest schema version, step by
# step, on the server that libpq's usual variables (PGHOST, PGPORT, PGUSER,
# PGPASSWORD...) name. Run it as the database's owner or a superuser.
set -euo pipefail

DB=TAV_ORV
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$HERE/steps.sh"
me=$(basename "$0")

usage() {
    cat <<EOF
Usage: $me [--dbname NAME] [--dry-run] [--backup FILE] [--check] [--help]

Reads the schema version of the database "$DB" on the PostgreSQL server
named by PGHOST, PGPORT and PGUSER (libpq defaults when unset) and applies
the missing steps in order, each in its own transaction. It stops at the
first step that fails; the database then stays at the last complete step,
and a second run goes on from there. Workstations may stay signed in.

  --dbname NAME  upgrade NAME instead of "$DB"
  --dry-run      only list the steps that would be applied
  --backup FILE  first save the whole database with pg_dump -Fc into FILE
  --check        say nothing; exit 0 when the database is up to date,
                 3 when it needs steps, 1 when it cannot be upgraded
  --help         show this text

A database newer than this script, or one that is not an Orvalo database,
is refused and left untouched.
EOF
}

dry=0
check=0
backup=
while [ $# -gt 0 ]; do
    case "$1" in
        --dbname) [ $# -ge 2 ] || { usage >&2; exit 2; }; DB=$2; shift ;;
        --backup) [ $# -ge 2 ] || { usage >&2; exit 2; }; backup=$2; shift ;;
        --dry-run) dry=1 ;;
        --check) check=1 ;;
        -h|--help) usage; exit 0 ;;
        *) echo "$me: unknown option: $1" >&2; usage >&2; exit 2 ;;
    esac
    shift
done

say() { [ "$check" -eq 1 ] || echo "$@"; }
refuse() { echo "$me: $*" >&2; exit 1; }

command -v psql >/dev/null 2>&1 || refuse "psql not found; install the PostgreSQL client."
[ -n "$(orv_steps)" ] || refuse "no schema steps in $HERE/steps"

server="${PGHOST:-local socket}:${PGPORT:-5432}"
export PGOPTIONS="${PGOPTIONS:-} -c client_min_messages=warning"
psql_cmd=(psql -X -q -v ON_ERROR_STOP=1)
latest=$(orv_latest_version)

orv_refuse_standby "$me" "$server" || exit 1
version=$(orv_db_version "$DB") ||
    refuse "cannot read database \"$DB\" on $server (see the message above); nothing was changed."
if [ -z "$version" ]; then
    refuse "database \"$DB\" on $server has no table zmiany_schematu_bazy: it is not an Orvalo database; nothing was changed."
fi
if [ "$version" = "?" ]; then
    refuse "the version table of \"$DB\" on $server holds no version: it is not an Orvalo database this script knows; nothing was changed."
fi
if orv_version_after "$version" "$latest"; then
    refuse "database \"$DB\" is at version $version, newer than this script ($latest); use upgrade.sh of the newer release; nothing was changed."
fi
if [ -z "$(orv_steps | grep -F "/$version.sql")" ]; then
    refuse "database \"$DB\" is at version $version, which no step of this script made; nothing was changed."
fi

pending=($(orv_pending_steps "$version"))
if [ ${#pending[@]} -eq 0 ]; then
    say "Database \"$DB\" on $server is at version $version, the newest; nothing to do."
    exit 0
fi
[ "$check" -eq 1 ] && exit 3

say "Database \"$DB\" on $server is at version $version; the newest is $latest."
if [ "$dry" -eq 1 ]; then
    say "Steps that would be applied:"
    for step in "${pending[@]}"; do
        say "  $(orv_step_version "$step"): $(orv_step_description "$step")"
    done
    exit 0
fi

if [ -n "$backup" ]; then
    say "Saving a backup of \"$DB\" into $backup..."
    pg_dump -Fc -f "$backup" "$DB" || refuse "the backup failed; nothing was changed."
    say "Backup saved. To go back to it: dropdb \"$DB\" && pg_restore --create -d postgres \"$backup\""
fi

for step in "${pending[@]}"; do
    v=$(orv_step_version "$step")
    say "Applying $v: $(orv_step_description "$step")..."
    if ! orv_apply_step "$DB" "$version" "$step"; then
        # Read again: another upgrade running at the same time may have gone on.
        version=$(orv_db_version "$DB" 2>/dev/null) || version="?"
        echo "$me: step $v failed and was undone; database \"$DB\" stays at version $version." >&2
        echo "Mend what the message above names and run $me again: it goes on from $version." >&2
        exit 1
    fi
    version=$v
done
say "Database \"$DB\" is now at version $version."
