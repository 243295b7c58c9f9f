#!/usr/bin/env bash
# Runs the Windows test programs of a mingw-w64 build folder under Wine, in a
# Wine prefix of their own that goes away afterwards. Needs no display.
#   scripts/run-windows-tests.sh build-windows
set -euo pipefail
build=${1:?usage: run-windows-tests.sh BUILD_FOLDER}
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)

WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/postwright-wine.XXXXXX")
export WINEPREFIX
# No debugging chatter, no offer to install Mono or Gecko, no debugger started
# for the crashes the crash-report test makes on purpose, no display.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

started=$(date +%s)
"$wine" wineboot --init >/dev/null 2>&1 || true
"$wineserver" -w
echo "Wine prefix made in $(( $(date +%s) - started )) s"

cd "$build"
ctest --output-on-failure -j "${JOBS:-2}"
