#!/usr/bin/env bash
# Builds the shipping folder and starts setup.exe from it under Wine: on the user's
# display when there is one, else on a virtual display, with a screenshot saved. On a
# machine whose kernel runs no 32-bit programs it builds the folder and says why it
# cannot show the window.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
root=$top/build

"$top/scripts/bootstrap.sh"
"$top/scripts/build.sh" "$root"

status=0
reason=$(python3 "$top/scripts/check_32bit.py") || status=$?
if [ "$status" -eq 1 ]; then
  echo "The shipping folder is built: $root/dist (and $root/dist.zip, to copy to a Windows PC)."
  echo "The installer's window cannot be shown on this machine: $reason."
  exit 0
fi

prefix=$root/run-prefix
export WINEPREFIX=$prefix WINEDEBUG=-all LC_ALL=zh_CN.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -d "$prefix" ]; then
  echo "Making a Wine prefix in $prefix (once) ..."
  {
    WINEARCH=win64 wineboot -i
    # Without a window manager, managed windows are slow to close.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
    # A font with the metrics the dialog layout assumes for "宋体".
    for face in 宋体 SimSun; do
      wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "AR PL SungtiL GB" /f
    done
    wineserver -w
  } >"$root/run-prefix.log" 2>&1
fi

xvfb_pid=
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
  export DISPLAY=:42
  Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  sleep 1
  echo "No display: running on the virtual display $DISPLAY."
fi

cd "$root/dist"
echo "Starting $root/dist/setup.exe"
wine setup.exe >"$root/run.log" 2>&1 &
app=$!
if [ -n "$xvfb_pid" ]; then
  for _ in $(seq 60); do
    xdotool search --name "打印机驱动安装程序" >/dev/null 2>&1 && break
    sleep 1
  done
  sleep 1
  xwd -root -display "$DISPLAY" | convert xwd:- -trim png:"$root/setup-window.png"
  echo "Screenshot of the installer window: $root/setup-window.png"
  wineserver -k 2>/dev/null || true
else
  wait "$app" || true
fi
