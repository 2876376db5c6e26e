#!/usr/bin/env bash
# Checks the release files the dist targets made in build/win64 and build/win32:
#   sums          sha256sum -c SHA256SUMS passes in each build folder
#   winget        the manifests parse as YAML and carry the setup's SHA-256 and the program's version
#   reproducible  the shipped targets built again from a clean copy of the same sources, in another
#                 folder, with other file times, time zone, locale and umask, a shifted clock (where
#                 faketime is installed) and no compiler cache, give the same bytes: every program,
#                 zip, setup, SHA256SUMS and manifest (the first differing file and offset are named)
#   signed        that copy's 64-bit build, signed with a throw-away self-signed certificate: the
#                 programs, the zip's programs, the setup and the uninstaller inside it verify with
#                 osslsigncode trusting that certificate, SHA256SUMS lists the signed files, and the
#                 password shows up in no log, command or file of the build
# Usage: tools/check-release.sh [preset...]     (default: win64 win32; each already built with dist)
# VEILCAP_KEEP_REBUILD=1 keeps the copy (its folder is printed).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(win64 win32)
release_tool=$root/tools/release.py
passed=0
failed=0
pass() { echo "release: PASS $*"; passed=$((passed + 1)); }
fail() { echo "release: FAIL $*"; failed=$((failed + 1)); }
finish() {
  echo "release: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit
}

for p in "${presets[@]}"; do
  if [ ! -f "$root/build/$p/SHA256SUMS" ]; then
    fail "$p: build/$p/SHA256SUMS is missing (cmake --build --preset $p --target dist)"
    continue
  fi
  if (cd "$root/build/$p" && sha256sum --quiet -c SHA256SUMS); then pass "$p: sha256sum -c SHA256SUMS"; else fail "$p: sha256sum -c SHA256SUMS"; fi
  if [ -d "$root/build/$p/winget" ]; then
    setup=$(cd "$root/build/$p" && ls Veilcap-*-setup-x64.exe)
    if python3 "$release_tool" check-winget "$root/build/$p/winget" "$root/build/$p/$setup" "$root/build/$p/Veilcap.exe"; then
      pass "$p: winget manifests"
    else
      fail "$p: winget manifests"
    fi
  fi
done
[ "$failed" -eq 0 ] || finish

# A clean copy of the sources in a folder of another depth and name. A clean git checkout is copied
# with git archive (the copy takes the commit time from cmake/commit-time.txt); otherwise the files
# as they are, with the time the first build used.
scratch=$(mktemp -d /tmp/veilcap-rebuild.XXXXXX)
copy=$scratch/another/place/veilcap-src
mkdir -p "$copy"
cleanup() { if [ "${VEILCAP_KEEP_REBUILD:-0}" = 1 ] || [ "$failed" -ne 0 ]; then echo "release: the rebuild is kept in $scratch"; else rm -rf "$scratch"; fi; }
trap cleanup EXIT
epoch=$(cat "$root/build/${presets[0]}/source-date-epoch")
if git -C "$root" rev-parse --git-dir >/dev/null 2>&1 && [ -z "$(git -C "$root" status --porcelain)" ]; then
  echo "release: copying commit $(git -C "$root" rev-parse --short HEAD) with git archive"
  git -C "$root" archive --format=tar HEAD | tar -xf - -C "$copy"
  unset SOURCE_DATE_EPOCH
elif git -C "$root" rev-parse --git-dir >/dev/null 2>&1; then
  echo "release: the tree has uncommitted changes: copying the files as they are, SOURCE_DATE_EPOCH=$epoch"
  (cd "$root" && git ls-files -z -c -o --exclude-standard | xargs -0 -I{} sh -c '[ -e "{}" ] && printf "%s\0" "{}"' \
     | tar --null -T - -cf -) | tar -xf - -C "$copy"
  export SOURCE_DATE_EPOCH=$epoch
else
  echo "release: not a git checkout: copying the files as they are, SOURCE_DATE_EPOCH=$epoch"
  (cd "$root" && tar --exclude=./build -cf - .) | tar -xf - -C "$copy"
  export SOURCE_DATE_EPOCH=$epoch
fi
# Other file times than the first build's sources.
find "$copy" -exec touch -h -d "@$(( $(date +%s) - 86400 * 400 ))" {} +

# The clock runs 17 days ahead for the rebuild. faketime would also shift the file times the build
# reads back (NO_FAKE_STAT keeps them real, as a later clock would).
shift_clock=()
if command -v faketime >/dev/null; then shift_clock=(env NO_FAKE_STAT=1 faketime -f "+17d"); fi
rebuild() {  # preset, target...
  local preset=$1
  shift
  (cd "$copy" && umask 027 && export TZ=Asia/Kathmandu LC_ALL=de_DE.UTF-8 CCACHE_DISABLE=1 &&
   "${shift_clock[@]}" cmake --preset "$preset" "${configure_args[@]}" >/dev/null &&
   for t in "$@"; do "${shift_clock[@]}" cmake --build --preset "$preset" --target "$t" || exit 1; done)
}

configure_args=()
for p in "${presets[@]}"; do
  start=$(date +%s)
  if ! rebuild "$p" dist >"$scratch/$p.log" 2>&1; then
    tail -30 "$scratch/$p.log"
    fail "$p: the rebuild of the release files failed (log: $scratch/$p.log)"
    continue
  fi
  names=$(cut -d' ' -f3- "$root/build/$p/SHA256SUMS")
  names="$names SHA256SUMS"
  [ -d "$root/build/$p/winget" ] && names="$names $(cd "$root/build/$p" && ls winget/*.yaml | tr '\n' ' ')"
  # shellcheck disable=SC2086
  if python3 "$release_tool" compare "$root/build/$p" "$copy/build/$p" $names; then
    pass "$p: rebuilt in $(( $(date +%s) - start )) s in another folder: the same bytes"
  else
    fail "$p: the rebuild differs"
  fi
done

# Signing with a throw-away certificate, in the copy's 64-bit build (only the programs and the setup
# are made again: their finishing step changes).
if [[ " ${presets[*]} " == *" win64 "* ]] && [ -f "$copy/build/win64/SHA256SUMS" ]; then
  start=$(date +%s)
  keys=$scratch/keys
  mkdir -p "$keys"
  VEILCAP_TEST_SIGN_PASSWORD=$(openssl rand -hex 16)
  export VEILCAP_TEST_SIGN_PASSWORD
  if ! openssl req -x509 -newkey rsa:2048 -sha256 -days 2 -nodes -subj "/CN=Veilcap throw-away test signer" \
        -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
        -keyout "$keys/key.pem" -out "$keys/cert.pem" 2>"$keys/openssl.log" ||
     ! openssl pkcs12 -export -inkey "$keys/key.pem" -in "$keys/cert.pem" -out "$keys/signer.p12" \
        -passout env:VEILCAP_TEST_SIGN_PASSWORD 2>>"$keys/openssl.log"; then
    cat "$keys/openssl.log"
    fail "signed: making the test certificate"
    finish
  fi
  rm -f "$keys/key.pem"
  configure_args=(-DVEILCAP_SIGN_PKCS12="$keys/signer.p12" -DVEILCAP_SIGN_PASSWORD_ENV=VEILCAP_TEST_SIGN_PASSWORD)
  b=$copy/build/win64
  if ! rebuild win64 dist >"$scratch/signed.log" 2>&1; then
    tail -30 "$scratch/signed.log"
    fail "signed: the signed build failed (log: $scratch/signed.log)"
    finish
  fi
  problems=0
  verify() {  # file, what
    if osslsigncode verify -CAfile "$keys/cert.pem" -in "$1" >"$scratch/verify.log" 2>&1 &&
       grep -q "Signature verification: ok" "$scratch/verify.log"; then
      echo "release: signature verified: $2"
    else
      cat "$scratch/verify.log"
      echo "release: no valid signature: $2"
      problems=$((problems + 1))
    fi
  }
  setup=$(cd "$b" && ls Veilcap-*-setup-x64.exe)
  mkdir -p "$scratch/unzipped" "$scratch/unpacked"
  python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$b"/Veilcap-*-win64.zip "$scratch/unzipped"
  for prog in $(cd "$scratch/unzipped" && ls | grep -Ei '\.(exe|com)$'); do
    verify "$b/$prog" "$prog"
    verify "$scratch/unzipped/$prog" "$prog in the zip"
    # Without its signature, the zero bytes osslsigncode pads the program to 8 bytes with, and with
    # the checksum set again, a signed program is the unsigned release's program, byte for byte.
    if osslsigncode remove-signature -in "$b/$prog" -out "$scratch/unsigned-$prog" >"$scratch/verify.log" 2>&1 &&
       python3 -c 'import os, sys
p, n = sys.argv[1], os.path.getsize(sys.argv[2])
d = open(p, "rb").read()
sys.exit(0 if len(d) >= n and not d[n:].strip(b"\0") and open(p, "wb").write(d[:n]) == n else 1)' \
         "$scratch/unsigned-$prog" "$root/build/win64/$prog" &&
       python3 "$release_tool" finish "$scratch/unsigned-$prog" && cmp "$root/build/win64/$prog" "$scratch/unsigned-$prog"; then
      echo "release: $prog without its signature is the unsigned $prog"
    else
      echo "release: $prog without its signature differs from the unsigned one"
      problems=$((problems + 1))
    fi
  done
  verify "$b/$setup" "$setup"
  # The uninstaller the setup writes, as 7-Zip unpacks it from the setup.
  if 7z x -y -o"$scratch/unpacked" "$b/$setup" >"$scratch/7z.log" 2>&1; then
    uninstaller=$(find "$scratch/unpacked" -iname 'uninstall.exe' | head -1)
    if [ -n "$uninstaller" ]; then verify "$uninstaller" "the uninstaller inside $setup"; else echo "release: 7z found no uninstall.exe in $setup"; problems=$((problems + 1)); fi
  else
    cat "$scratch/7z.log"
    problems=$((problems + 1))
  fi
  if ! (cd "$b" && sha256sum --quiet -c SHA256SUMS); then problems=$((problems + 1)); fi
  if cmp -s "$b/SHA256SUMS" "$root/build/win64/SHA256SUMS"; then
    echo "release: SHA256SUMS of the signed build lists the unsigned files"
    problems=$((problems + 1))
  fi
  if grep -rlF "$VEILCAP_TEST_SIGN_PASSWORD" "$scratch"/*.log "$b/build.ninja" "$b/CMakeCache.txt" "$b"/*.sh "$b/.ninja_log" 2>/dev/null; then
    echo "release: the certificate's password shows up in the files above"
    problems=$((problems + 1))
  fi
  if [ "$problems" -eq 0 ]; then pass "signed: programs, zip, setup and uninstaller verify ($(( $(date +%s) - start )) s)"; else fail "signed: $problems problems"; fi
fi
finish
