# Shared by run.sh and test.sh: package installation, build, PostgreSQL.

ORV_PACKAGES=(cmake make g++ pkg-config
    qt6-base-dev qt6-base-dev-tools libqt6sql6-psql qt6-translations-l10n
    libgl-dev libx11-dev libpq-dev postgresql postgresql-contrib fonts-dejavu-core
    libzint-dev libxlsxwriter-dev poppler-utils zbar-tools unzip)

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
