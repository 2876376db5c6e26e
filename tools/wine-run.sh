#!/usr/bin/env bash
# Runs a Windows program in the prepared test prefix (see wine-harness.sh), with a time limit.
#   wine-run.sh PROGRAM.exe [ARGS...]
# The state folder comes from VEILCAP_WINE_STATE, else <folder of the program>/wine-state.
set -uo pipefail
exe=$(realpath "${1:?program}")
shift
state=${VEILCAP_WINE_STATE:-$(cd "$(dirname "$exe")" && pwd)/wine-state}
if [ ! -f "$state/env" ]; then
  echo "wine-run: no prepared Wine prefix in $state (run tools/wine-harness.sh start first)" >&2
  exit 1
fi
# shellcheck disable=SC1091
source "$state/env"
cd "$state"
exec timeout --kill-after=10 "${VEILCAP_WINE_TIMEOUT:-540}" wine "$exe" "$@"
