# Shared by create.sh and upgrade.sh: the schema as an ordered series of
# versioned steps (steps/MAJOR.MINOR.POINT.sql), each applied in its own
# transaction together with its row in zmiany_schematu_bazy.
# Expects HERE (this folder) and psql_cmd (psql with its options) to be set.

orv_step_version() { basename "$1" .sql; }

# Every step, oldest first.
orv_steps() {
    local f
    for f in "$HERE"/steps/*.sql; do
        [ -f "$f" ] && echo "$f"
    done | sort -V
}

orv_latest_version() { orv_step_version "$(orv_steps | tail -n 1)"; }

# True when version $1 comes after version $2.
orv_version_after() {
    [ "$1" != "$2" ] && [ "$(printf '%s\n%s\n' "$1" "$2" | sort -V | tail -n 1)" = "$1" ]
}

orv_step_description() { sed -n '1s/^-- opis: //p' "$1"; }

# The version database $1 is at: empty for a database without the version
# table, "?" for one whose version table has no readable row. Fails when
# the server cannot be asked.
orv_db_version() {
    local known
    known=$("${psql_cmd[@]}" -tA -d "$1" -c "SELECT to_regclass('zmiany_schematu_bazy') IS NOT NULL") || return 1
    [ "$known" = t ] || return 0
    "${psql_cmd[@]}" -tA -d "$1" -c "
        SELECT coalesce((SELECT zsb_major_release_number || '.' || zsb_minor_release_number
                                || '.' || zsb_point_release_number
                           FROM zmiany_schematu_bazy ORDER BY zsb_id DESC LIMIT 1), '?')" 2>/dev/null || echo '?'
}

# The steps after version $1 (all of them for an empty one), up to and
# including version $2 when it is given.
orv_pending_steps() {
    local from=$1 upto=${2:-} f v
    for f in $(orv_steps); do
        v=$(orv_step_version "$f")
        if [ -n "$from" ] && ! orv_version_after "$v" "$from"; then
            continue
        fi
        if [ -n "$upto" ] && orv_version_after "$v" "$upto"; then
            break
        fi
        echo "$f"
    done
}

# Applies one step to database $1, which must be at version $2 (empty for a
# new database). Prints psql's error and fails when the step fails; the
# database then stays as it was.
orv_apply_step() {
    local db=$1 before=$2 step=$3 v major minor point
    v=$(orv_step_version "$step")
    IFS=. read -r major minor point <<<"$v"
    "${psql_cmd[@]}" -d "$db" --single-transaction -o /dev/null \
        -v wersja_przed="$before" -v major="$major" -v minor="$minor" -v point="$point" \
        -v opis="$(orv_step_description "$step")" \
        -f "$HERE/step_begin.sql" -f "$step" -f "$HERE/step_end.sql"
}

# A standby (a server in recovery) is read-only: nothing is written there.
# Prints the refusal and fails when the server psql_cmd reaches is one.
orv_refuse_standby() {
    local recovery
    recovery=$("${psql_cmd[@]}" -tA -d postgres -c "SELECT pg_is_in_recovery()" 2>/dev/null) || return 0
    if [ "$recovery" = t ]; then
        echo "$1: the server at $2 is a standby (read-only, in recovery); run $1 against the primary server; nothing was changed." >&2
        return 1
    fi
}
