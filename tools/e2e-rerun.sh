#!/usr/bin/env bash
# Runs the end-to-end tests under Wine; tests that fail are run once more on their own.
#   e2e-rerun.sh e2e_tests.exe [gtest arguments...]
# The end-to-end tests drive real windows, a real wineserver and simulated devices from outside, so
# a loaded machine can occasionally miss a deadline. A test that fails twice fails the run; one
# that passes on the second run is named in a notice at the end, together with its first output,
# so that it is seen and looked into.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exe=${1:?e2e_tests.exe}
shift
first=$(mktemp)
trap 'rm -f "$first"' EXIT
"$here/wine-run.sh" "$exe" "$@" 2>&1 | tee "$first"
status=${PIPESTATUS[0]}
[ "$status" -eq 0 ] && exit 0
# The failed tests as gtest lists them at the end ("[  FAILED  ] Suite.Name", "... (123 ms)").
failed=$(sed -n 's/^\[  FAILED  \] \([A-Za-z0-9_/.]*\).*/\1/p' "$first" | tr -d '\r' | grep '\.' | sort -u | paste -sd: -)
if [ -z "$failed" ]; then
  echo "e2e-rerun: the run ended with $status and names no failed test; not run again" >&2
  exit "$status"
fi
echo "e2e-rerun: run once more on their own: $failed"
"$here/wine-run.sh" "$exe" "$@" --gtest_filter="$failed" 2>&1
status=$?
if [ "$status" -eq 0 ]; then
  echo "e2e-rerun: NOTICE: these tests failed on the first run and passed on the second: $failed"
  echo "e2e-rerun: their first failures:"
  grep -a -A12 'Failure$' "$first" | head -60
fi
exit "$status"
