#!/usr/bin/env bash
# Moves an Orvalo database to rights kept by the server in one go: every
# user gets a server account, the administrator (or, with --demo, each demo
# account) a password, and the database leaves the shared role.
set -euo pipefail

DB=TAV_ORV
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

usage() {
    cat <<EOF
Usage: $(basename "$0") [--demo] [--admin LOGIN] [--dbname NAME] [--help]

Switches the database "$DB" on the server named by PGHOST, PGPORT and PGUSER
(a superuser) to rights kept by the server: each user signs in with a
database account of their own ("tav_orv." + login, password checked by the
server with SCRAM-SHA-256), and the shared role tav_orv_user loses its
access. Meant for a new database; a database in use moves user by user
from the program ("Zarządzanie kontem" -> "Konta serwera bazy danych").

  --demo         the demo accounts admin, kierownik and magazynier get
                 their login as password
  --admin LOGIN  this administrator gets the password from ORV_ADMIN_PASSWORD
                 (asked for when unset); made, with administrator rights,
                 when no user of that login exists. Default: admin
  --dbname NAME  switch NAME instead of "$DB"
  --help         show this text

Users without a password afterwards get one from an administrator in the
"Użytkownicy" register ("Zmień hasło").
EOF
}

demo=0
admin=admin
while [ $# -gt 0 ]; do
    case "$1" in
        --demo) demo=1 ;;
        --admin) [ $# -ge 2 ] || { usage >&2; exit 2; }; admin=$2; shift ;;
        --dbname) [ $# -ge 2 ] || { usage >&2; exit 2; }; DB=$2; shift ;;
        -h|--help) usage; exit 0 ;;
        *) echo "$(basename "$0"): unknown option: $1" >&2; usage >&2; exit 2 ;;
    esac
    shift
done

psql_cmd=(psql -X -q -v ON_ERROR_STOP=1 -d "$DB")
mode=$("${psql_cmd[@]}" -tA -c "SELECT otp_tryb FROM orv_tryb_praw") || {
    echo "$(basename "$0"): cannot read the rights mode of \"$DB\"; is it at schema 1.11.10 or later (upgrade.sh)?" >&2
    exit 1
}
if [ "$mode" = serwer ]; then
    echo "Database \"$DB\" already keeps rights on the server; nothing was changed."
    exit 0
fi

# Passwords go to the server in one statement each, kept out of its log.
declare -a logins passwords
if [ "$demo" -eq 1 ]; then
    logins=(admin kierownik magazynier)
    passwords=(admin kierownik magazynier)
else
    pw=${ORV_ADMIN_PASSWORD:-}
    if [ -z "$pw" ]; then
        if [ -t 0 ]; then
            read -rsp "Hasło administratora \"$admin\": " pw; echo
        fi
        [ -n "$pw" ] || { echo "$(basename "$0"): no password for \"$admin\" (set ORV_ADMIN_PASSWORD)." >&2; exit 2; }
    fi
    logins=("$admin")
    passwords=("$pw")
fi

{
    echo "BEGIN;"
    echo "SET LOCAL log_statement = 'none';"
    echo "SET LOCAL password_encryption = 'scram-sha-256';"
    [ "$mode" = wspolna ] && echo "SELECT f_prawa_rozpocznij_przejscie();"
    if [ "$demo" -eq 0 ]; then
        # The first administrator of a new database.
        echo "INSERT INTO uzytkownicy (uzt_login, uzt_imie, uzt_nazwisko, systemowy)
              SELECT :'login0', 'Administrator', 'Orvalo', true
               WHERE NOT EXISTS (SELECT 1 FROM uzytkownicy WHERE uzt_login = :'login0');"
        echo "INSERT INTO ov_uprawnienia_admin (ovupradm_fk_uzt, systemowy)
              SELECT uzt_id, true FROM uzytkownicy WHERE uzt_login = :'login0'
                 AND NOT EXISTS (SELECT 1 FROM ov_uprawnienia_admin a WHERE a.ovupradm_fk_uzt = uzt_id);"
    fi
    for i in "${!logins[@]}"; do
        echo "SELECT format('ALTER ROLE %I PASSWORD %L', f_orv_rola(:'login$i'), :'password$i')
                FROM uzytkownicy WHERE uzt_login = :'login$i' \\gexec"
        echo "SELECT f_konto_haslo_ustawione(:'login$i') FROM uzytkownicy WHERE uzt_login = :'login$i';"
    done
    echo "SELECT f_prawa_przelacz();"
    echo "COMMIT;"
} > "${TMPDIR:-/tmp}/orv_rights.$$.sql"
trap 'rm -f "${TMPDIR:-/tmp}/orv_rights.$$.sql"' EXIT
vars=()
for i in "${!logins[@]}"; do
    vars+=(-v "login$i=${logins[$i]}" -v "password$i=${passwords[$i]}")
done
"${psql_cmd[@]}" "${vars[@]}" -o /dev/null -f "${TMPDIR:-/tmp}/orv_rights.$$.sql"

echo "Database \"$DB\" keeps rights on the server: users sign in with accounts tav_orv.<login>;" \
     "the shared role tav_orv_user has no access to it."
if [ "$demo" -eq 1 ]; then
    echo "Demo accounts: admin/admin, kierownik/kierownik, magazynier/magazynier."
else
    echo "Administrator: $admin. Other users get their passwords from the administrator."
fi
