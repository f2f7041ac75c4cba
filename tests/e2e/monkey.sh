#!/usr/bin/env bash
# End to end: a minute of the restless user (scripts/monkey, seed 1, or VARDELO_MONKEY_SEED):
# Vardelo survives random input over all its windows and camera unplugging, answers, leaves
# every file it wrote readable and no temporary file or journal behind.
set -u
here=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/wine}
export VARDELO_MONKEY_DIR=$1/monkey
exec bash "$here/scripts/monkey" --inner "$1/bin" 1 "${VARDELO_MONKEY_SEED:-1}"
