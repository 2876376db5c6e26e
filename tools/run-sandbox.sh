#!/usr/bin/env bash
# Installs what is needed, builds Veilcap and runs it under Wine in a sandbox: a fresh Wine prefix
# with simulated webcams and microphones and a stand-in PowerShell that really switches them.
# On a desktop (DISPLAY set) Veilcap opens there; without one it runs on a private Xvfb and a
# screenshot is saved to build/sandbox.png.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
# VEILCAP_SANDBOX_BUILD names an existing win64 build folder to use instead of the preset's.
if [ -n "${VEILCAP_SANDBOX_BUILD:-}" ]; then
  build=$(cd "$VEILCAP_SANDBOX_BUILD" && pwd)
else
  tools/setup.sh
  cmake --preset win64 >/dev/null
  cmake --build --preset win64
  build=$root/build/win64
fi
state=$root/build/sandbox
headless=1
if [ -n "${DISPLAY:-}" ] && [ -z "${VEILCAP_HEADLESS:-}" ]; then headless=0; export VEILCAP_USE_DISPLAY=1; fi
tools/wine-harness.sh start "$state" "$build"
trap '"$root/tools/wine-harness.sh" stop "$state"' EXIT
# shellcheck disable=SC1091
source "$state/env"
cd "$state"
run() { timeout 60 wine "$@" </dev/null; }

# The program, laid out as it ships, inside the sandbox's C: drive.
install_dir="$WINEPREFIX/drive_c/Program Files/Veilcap"
mkdir -p "$install_dir"
cp -r "$build/stage/." "$install_dir/"

# Simulated devices: an integrated camera, a USB video device, a microphone, a headset
# microphone and a speaker (speakers are audio endpoints too; Veilcap leaves them unwatched).
if [ -f "$build/fakedev.exe" ]; then
  cam='{CA3E7AB9-B4C3-4AE6-8251-579EF933890F}'
  img='{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}'
  aud='{C166523C-FE0C-4A94-A586-F1A80CFBBF3E}'
  run "$build/fakedev.exe" add "$cam" 'USB\VID_5986&PID_2113&MI_00\6&2C11A3F&0&0000' 'Integrated Camera' >/dev/null
  run "$build/fakedev.exe" add "$img" 'USB\VID_046D&PID_0825&MI_00\7&1B2C3D4E&0&0000' 'USB Video Device' >/dev/null
  run "$build/fakedev.exe" add "$aud" 'SWD\MMDEVAPI\{0.0.1.00000000}.{8D3B9C2A-1F4E-4B6A-9C7D-2E5F6A7B8C91}' 'Microphone (Realtek(R) Audio)' >/dev/null
  run "$build/fakedev.exe" add "$aud" 'SWD\MMDEVAPI\{0.0.1.00000000}.{5A6B7C8D-9E0F-4A1B-8C2D-3E4F5A6B7C8D}' 'Headset Microphone (Jabra Evolve 40)' >/dev/null
  run "$build/fakedev.exe" add "$aud" 'SWD\MMDEVAPI\{0.0.0.00000000}.{1F2E3D4C-5B6A-4798-8A9B-0C1D2E3F4A5B}' 'Speakers (Realtek(R) Audio)' >/dev/null
  # The microphones are watched as the user would choose them in the detected-devices window.
  for id in 'SWD\MMDEVAPI\{0.0.1.00000000}.{8D3B9C2A-1F4E-4B6A-9C7D-2E5F6A7B8C91}' \
            'SWD\MMDEVAPI\{0.0.1.00000000}.{5A6B7C8D-9E0F-4A1B-8C2D-3E4F5A6B7C8D}'; do
    run reg add 'HKCU\SOFTWARE\Vostrel\Vostrel Veilcap\Devices' /v "$id" /t REG_DWORD /d 1 /f >/dev/null
  done
fi

exe="C:\\Program Files\\Veilcap\\Veilcap.exe"
if [ $headless = 0 ]; then
  echo "sandbox: Veilcap runs on your display; quit it from its tray menu (or close this terminal)."
  wine "$exe" </dev/null || true
else
  (setsid timeout 600 wine "$exe" </dev/null >/dev/null 2>&1 &)
  run "$build/driver.exe" wait-window TForm_Veilcap 30000 >/dev/null 2>&1 || true
  sleep 6
  # What a user would do: one click on the webcam picture blocks both simulated cameras (the fake
  # PowerShell sets their problem code to 22) and the picture turns red.
  geometry=$(xdotool search --name '^Vostrel Veilcap$' getwindowgeometry 2>/dev/null || true)
  pos=$(echo "$geometry" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p' | head -n1)
  if [ -n "$pos" ]; then
    read -r wx wy <<<"$pos"
    xdotool mousemove $((wx + 136)) $((wy + 170)) click 1
    sleep 6
  fi
  import -window root "$root/build/sandbox.png"
  echo "sandbox: no display, so Veilcap ran on a private Xvfb; it blocked the simulated webcams with one click"
  echo "sandbox: screenshot: build/sandbox.png; simulated devices now:"
  run "$build/fakedev.exe" list 2>/dev/null | grep -E 'Camera|Video|Microphone|Speakers' || true
  run "$build/driver.exe" close TForm_Veilcap >/dev/null 2>&1 || true
  sleep 1
fi
