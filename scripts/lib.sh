# Shared by run.sh and test.sh: package installation, build, PostgreSQL.

ORV_PACKAGES=(cmake make g++ pkg-config
    qt6-base-dev qt6-base-dev-tools libqt6sql6-psql qt6-translations-l10n
    libgl-dev libx11-dev libpq-dev postgresql postgresql-contrib fonts-dejavu-core
    libzint-dev libxlsxwriter-dev poppler-utils zbar-tools unzip dpkg-dev openssl)

orv_say() { printf '\033[1m== %s\033[0m\n' "$*"; }

orv_sudo() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

orv_install_packages() {
    local missing=() p
    for p in "${ORV_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    orv_say "Installing: ${missing[*]}"
    orv_sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    orv_sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

orv_build() {
    local root=$1
    orv_say "Building"
    cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$root/build" -j"$(nproc)"
}

# Only the program and its tools, quietly: the build's own lines appear when
# it fails.
orv_build_program() {
    local root=$1 log
    orv_say "Building Orvalo"
    log=$(mktemp)
    if ! { cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
           cmake --build "$root/build" -j"$(nproc)" --target orvalo orvalo-log orvalo-report orv_icons orv_docs; } \
           >"$log" 2>&1; then
        cat "$log" >&2
        rm -f "$log"
        echo "The build failed; see the lines above." >&2
        return 1
    fi
    rm -f "$log"
}

orv_pg_bindir() {
    local v
    v=$(ls /usr/lib/postgresql | sort -V | tail -n 1)
    echo "/usr/lib/postgresql/$v/bin"
}

# Runs a command as the postgres system user when we are root (the server
# refuses to run as root), as ourselves otherwise.
orv_as_pg() {
    if [ "$(id -u)" -eq 0 ]; then
        (cd /tmp && runuser -u postgres -- "$@")
    else
        "$@"
    fi
}

# Starts a throwaway PostgreSQL cluster of its own (temp folder, free port)
# with the schema and demo data, plus the pristine copy "TAV_ORV_PRISTINE"
# that tests restore from. Exports PGHOST, PGPORT, PGUSER, PGPASSWORD for
# the superuser; orv_stop_throwaway_pg stops it and removes the folder.
orv_start_throwaway_pg() {
    local root=$1 pgbin
    pgbin=$(orv_pg_bindir)
    ORV_PG_CLUSTER=$(mktemp -d /tmp/orvalo-test-pg.XXXXXX)
    [ "$(id -u)" -eq 0 ] && chown postgres: "$ORV_PG_CLUSTER"
    # A free port of our own, away from a server that may already run here.
    local port
    port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])' 2>/dev/null || echo 55432)

    orv_say "Starting a throwaway PostgreSQL on port $port"
    # Passwords are checked, as on a real server: a wrong one must fail.
    local superpw=orvalo-test
    echo "$superpw" > "$ORV_PG_CLUSTER/pw"
    [ "$(id -u)" -eq 0 ] && chown postgres: "$ORV_PG_CLUSTER/pw"
    orv_as_pg "$pgbin/initdb" -D "$ORV_PG_CLUSTER/data" -U postgres --auth=scram-sha-256 \
        --pwfile="$ORV_PG_CLUSTER/pw" -E UTF8 --locale=C.UTF-8 >/dev/null
    # Encrypted like a production server, with a certificate of its own that
    # is also its CA (the tests check the server's name against it).
    local ssl=""
    ORV_TEST_PGSSLCA=
    if openssl req -new -x509 -days 7 -nodes -subj "/CN=127.0.0.1" \
            -addext "subjectAltName=IP:127.0.0.1,DNS:localhost" \
            -keyout "$ORV_PG_CLUSTER/server.key" -out "$ORV_PG_CLUSTER/server.crt" >/dev/null 2>&1; then
        chmod 600 "$ORV_PG_CLUSTER/server.key"
        [ "$(id -u)" -eq 0 ] && chown postgres: "$ORV_PG_CLUSTER/server.key" "$ORV_PG_CLUSTER/server.crt"
        ssl="-c ssl=on -c ssl_cert_file=$ORV_PG_CLUSTER/server.crt -c ssl_key_file=$ORV_PG_CLUSTER/server.key"
        ORV_TEST_PGSSLCA=$ORV_PG_CLUSTER/server.crt
    fi
    export ORV_TEST_PGSSLCA
    orv_as_pg "$pgbin/pg_ctl" -D "$ORV_PG_CLUSTER/data" -l "$ORV_PG_CLUSTER/server.log" -w \
        -o "-p $port -k $ORV_PG_CLUSTER -c listen_addresses=127.0.0.1 -c fsync=off -c full_page_writes=off $ssl" start >/dev/null

    export PGHOST=127.0.0.1 PGPORT=$port PGUSER=postgres PGPASSWORD=$superpw
    "$root/schema/create.sh" --demo
    psql -X -q -d postgres -c 'CREATE DATABASE "TAV_ORV_PRISTINE" TEMPLATE "TAV_ORV"' \
        -c 'GRANT CONNECT ON DATABASE "TAV_ORV_PRISTINE" TO tav_orv_user'
    # The same demo with rights kept by the server, for the suite's second mode.
    "$root/schema/create.sh" --demo --server-rights --dbname TAV_ORV_PRISTINE_SERWER >/dev/null
}

orv_stop_throwaway_pg() {
    [ -n "${ORV_PG_CLUSTER:-}" ] || return 0
    orv_as_pg "$(orv_pg_bindir)/pg_ctl" -D "$ORV_PG_CLUSTER/data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$ORV_PG_CLUSTER"
    ORV_PG_CLUSTER=
}
