#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole suite against a
# throwaway PostgreSQL cluster of its own, which is stopped at the end.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")" && pwd)
. "$ROOT/scripts/lib.sh"

orv_install_packages
orv_build "$ROOT"

trap orv_stop_throwaway_pg EXIT
orv_start_throwaway_pg "$ROOT"

orv_say "Running the tests"
export ORV_TEST_PGHOST=$PGHOST ORV_TEST_PGPORT=$PGPORT ORV_TEST_PGUSER=$PGUSER ORV_TEST_PGPASSWORD=$PGPASSWORD
unset PGHOST PGPORT PGUSER PGPASSWORD
ctest --test-dir "$ROOT/build" --output-on-failure "$@"
