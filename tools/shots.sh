#!/usr/bin/env bash
# Retakes the manual's pictures (resources/docs/pomoc/img) from the program's
# real windows, on the demo data of a throwaway PostgreSQL cluster.
#   tools/shots.sh                 every picture
#   tools/shots.sh --only magazyny one entry of tools/shots/ShotList.cpp
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/lib.sh"

orv_install_packages
orv_build "$ROOT"

trap orv_stop_throwaway_pg EXIT
orv_start_throwaway_pg "$ROOT"

orv_say "Taking the pictures"
QT_QPA_PLATFORM=offscreen "$ROOT/build/bin/orvalo-shots" --host "$PGHOST" --port "$PGPORT" "$@"
