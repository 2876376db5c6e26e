#!/usr/bin/env bash
# One Wine environment for a whole test run (or for the sandbox):
#   wine-harness.sh start STATE_DIR [BUILD_DIR]   new prefix, own Xvfb, persistent wineserver
#   wine-harness.sh stop STATE_DIR                ends only what start started (by process id)
# STATE_DIR/env holds the variables that wine-run.sh and the tests use.
set -euo pipefail
cmd=${1:?start or stop}
state=${2:?state folder}
build=${3:-}
# The build folder is used after changing into the state folder: make it absolute.
if [ -n "$build" ] && [ -d "$build" ]; then build=$(cd "$build" && pwd); fi

log() { echo "wine-harness: $*" >&2; }

# schtasks is not overridden here: tests that need the fake (Wine's has no /QUERY) choose it per
# program through HKCU\Software\Wine\DllOverrides and restore it afterwards.
# winemenubuilder stays off: it would turn shortcuts the setup program creates into menu entries
# and icons in the Linux home folder.
overrides='winedbg.exe=d;mscoree,mshtml=;winealsa.drv=d;powershell.exe=n;winemenubuilder.exe=d'

free_display() {
  local n
  for n in $(seq 91 140); do
    if [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ]; then echo "$n"; return 0; fi
  done
  return 1
}

stop() {
  [ -f "$state/env" ] || return 0
  # shellcheck disable=SC1091
  source "$state/env"
  WINEPREFIX=$WINEPREFIX timeout 30 wineserver -k 2>/dev/null || true
  if [ -n "${VEILCAP_XVFB_PID:-}" ] && kill -0 "$VEILCAP_XVFB_PID" 2>/dev/null; then
    kill "$VEILCAP_XVFB_PID" 2>/dev/null || true
  fi
  rm -f "$state/env"
}

start() {
  stop
  rm -rf "$state"
  mkdir -p "$state"
  local prefix="$state/prefix" display xvfb_pid=""
  if [ "${VEILCAP_USE_DISPLAY:-}" = 1 ] && [ -n "${DISPLAY:-}" ]; then
    display=${DISPLAY#:}
  else
    display=$(free_display) || { log "no free X display"; exit 1; }
    setsid Xvfb ":$display" -screen 0 1920x1080x24 -nolisten tcp </dev/null >"$state/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
    [ -e "/tmp/.X11-unix/X$display" ] || { log "Xvfb did not start"; cat "$state/xvfb.log" >&2; exit 1; }
  fi
  cat >"$state/env" <<ENV
export WINEPREFIX="$prefix"
export WINEDEBUG="-all"
export WINEARCH=win64
export DISPLAY=":$display"
export WINEDLLOVERRIDES="$overrides"
export VEILCAP_XVFB_PID="$xvfb_pid"
export VEILCAP_WINE_STATE="$state"
ENV
  # shellcheck disable=SC1091
  source "$state/env"
  cd "$state"   # a folder without reg.exe or cmd.exe of ours
  log "preparing prefix $prefix on display :$display"
  mkdir -p "$prefix"
  timeout 120 wineboot -i </dev/null >"$state/wineboot.log" 2>&1 || { log "wineboot failed"; tail -20 "$state/wineboot.log" >&2; exit 1; }
  timeout 60 wine winecfg /v win10 </dev/null >>"$state/wineboot.log" 2>&1 || log "winecfg /v win10 failed"
  # Windows links Segoe UI to its Chinese and Japanese fonts; Wine does not, and in any other locale
  # draws those texts as empty boxes. The same link, to WenQuanYi Micro Hei (fonts-wqy-microhei).
  timeout 60 wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v 'Segoe UI' \
    /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f </dev/null >>"$state/wineboot.log" 2>&1 ||
    log "the font link for Chinese and Japanese failed"
  # Windows always has the user's temporary folder; a new prefix does not.
  local user_dir
  user_dir=$(ls -d "$prefix/drive_c/users/"*/ 2>/dev/null | grep -v '/Public/$' | head -n1)
  [ -n "$user_dir" ] && mkdir -p "${user_dir}AppData/Local/Temp"
  # Test fixtures that stand in for Windows tools.
  if [ -n "$build" ]; then
    local sys32="$prefix/drive_c/windows/system32"
    if [ -f "$build/fake_powershell.exe" ]; then
      mkdir -p "$sys32/WindowsPowerShell/v1.0"
      cp "$build/fake_powershell.exe" "$sys32/WindowsPowerShell/v1.0/powershell.exe"
      cp "$build/fake_powershell.exe" "$sys32/powershell.exe"
    fi
    if [ -f "$build/fake_schtasks.exe" ]; then cp "$build/fake_schtasks.exe" "$sys32/schtasks.exe"; fi
  fi
  # Let the boot's wineserver end by itself, so the registry (the Windows 10 version above) is
  # saved, and start the one persistent wineserver of the run fresh: right after the first boot the
  # service database otherwise stays locked (Wine's SCHTASKS then fails with 1053).
  timeout 90 wineserver -w 2>/dev/null || { log "wineserver did not end; killing it"; timeout 30 wineserver -k 2>/dev/null || true; }
  if ! grep -q '"CurrentBuild"="18362"' "$prefix/system.reg"; then
    log "the prefix does not claim Windows 10"; exit 1
  fi
  setsid wineserver -p </dev/null >"$state/wineserver.log" 2>&1 || log "wineserver -p failed"
  # Wine's desktop process starts with the first window and ends with the last one, and its start
  # costs about ten seconds here: a hidden window held for the whole run pays that once.
  if [ -n "$build" ] && [ -f "$build/driver.exe" ]; then
    (setsid timeout 7200 wine "$build/driver.exe" hold VeilcapHarnessHold </dev/null >/dev/null 2>&1 &)
    timeout 90 wine "$build/driver.exe" wait-window VeilcapHarnessHold 80000 </dev/null >/dev/null 2>&1 || log "desktop did not come up"
  fi
  log "ready"
}

case "$cmd" in
  start) start ;;
  stop) stop ;;
  *) log "unknown command $cmd"; exit 2 ;;
esac
