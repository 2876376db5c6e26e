#!/usr/bin/env bash
# Installs what is needed, builds all builds and runs every test:
#   native  portable code, unit tests, benchmarks (host g++)
#   fuzz    unit tests and short fuzz runs under AddressSanitizer/UBSan (clang)
#   win64   the program, Windows-side and end-to-end tests under 64-bit Wine on Xvfb
#   win32   the shipped 32-bit program (built warning-free; it cannot run here)
#   release the release files of win64 and win32 (zip, setup, SHA256SUMS, winget manifests): their
#           checksums, a rebuild from a clean copy that must give the same bytes, signing
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
export VEILCAP_WERROR=ON
status=0
for preset in native fuzz win64 win32; do
  echo "=== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
# The release files, made before the tests run the staged program.
for preset in win64 win32; do
  echo "=== $preset: release files"
  cmake --build --preset "$preset" --target dist
done
for preset in native fuzz win64; do
  echo "=== $preset: test"
  ctest --preset "$preset" || status=1
done
echo "=== release: checksums, manifests, a rebuild from a clean copy, signing"
tools/check-release.sh win64 win32 || status=1
exit $status
