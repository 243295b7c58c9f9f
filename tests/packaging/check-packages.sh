#!/usr/bin/env bash
# Builds the packages from the build folder given, then uses them as a user
# would: the portable one unpacked into a folder of its own and started there,
# the .deb's files unpacked into a scratch root and its launcher started, each
# under Xvfb with a HOME of its own. Exits non-zero at the first fault.
set -euo pipefail
build=$(readlink -f "$1")
source=$(readlink -f "$2")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

cd "$build"
cpack -B "$scratch/out" >/dev/null
tarball=$(ls "$scratch"/out/Postwright-*-portable.tar.gz)
deb=$(ls "$scratch"/out/postwright_*.deb)

desktop-file-validate "$source/packaging/postwright.desktop" || fail "the desktop file is not valid"

# Starts a launcher under Xvfb with HOME set to home, waits until a window named
# Postwright is shown while the folder given holds the program's lock (so the
# program took that folder for its own), then ends the program as a desktop
# session does and checks that it ended cleanly.
run_until_shown() {
  local launcher=$1 home=$2 appdir=$3
  HOME="$home" XDG_DATA_HOME= XDG_CONFIG_HOME= XDG_CACHE_HOME= xvfb-run -a -s "-screen 0 1280x1024x24" \
    bash -c '
      "$1" & pid=$!
      for _ in $(seq 1 300); do
        if xwininfo -root -tree 2>/dev/null | grep -q "\"Postwright\"" && [ -e "$2/Postwright.lock" ]; then
          kill -TERM "$pid"; wait "$pid"; exit $?
        fi
        kill -0 "$pid" 2>/dev/null || { wait "$pid"; echo "the program ended by itself: $?" >&2; exit 3; }
        sleep 0.2
      done
      echo "no window within a minute" >&2; kill -KILL "$pid"; exit 4
    ' _ "$launcher" "$appdir"
}

# The portable package: its files, then a run from a folder of the user's own.
mkdir -p "$scratch/portable" "$scratch/home1"
tar -xzf "$tarball" -C "$scratch/portable"
top="$scratch/portable/$(basename "$tarball" .tar.gz)"
for f in Postwright PostwrightBrowser.so PostwrightMetafile.so Updater postwright install-menu-entry Formats.dat postwright.desktop \
         icons/postwright-16.png icons/postwright-256.png; do
  [ -e "$top/$f" ] || fail "the portable package lacks $f"
done
cmp -s "$top/Formats.dat" "$source/data/Formats.dat" || fail "the portable package's Formats.dat differs"
# The libraries the program loads when it needs them (the browser with the
# first page, the metafile reader with a metafile banner): their libraries are
# on the system, and each offers the entry point the program looks up.
for library in PostwrightBrowser.so:postwright_create_browser PostwrightMetafile.so:postwright_draw_metafile; do
  file=${library%%:*} entry=${library#*:}
  if ldd "$top/$file" | grep -q "not found"; then fail "$file lacks libraries"; fi
  nm -D --defined-only "$top/$file" | grep -qw "$entry" || fail "$file has no entry point $entry"
done
run_until_shown "$top/postwright" "$scratch/home1" "$top" || fail "the portable program did not run cleanly"
[ -z "$(ls -A "$scratch/home1")" ] || fail "the portable program wrote into HOME: $(ls -A "$scratch/home1")"

# Its menu entry, added and removed for the user alone.
HOME="$scratch/home1" XDG_DATA_HOME= "$top/install-menu-entry" >/dev/null
entry="$scratch/home1/.local/share/applications/postwright.desktop"
desktop-file-validate "$entry" || fail "the menu entry made is not valid"
grep -qx "Exec=\"$top/postwright\"" "$entry" || fail "the menu entry does not start this folder's launcher"
[ -e "$scratch/home1/.local/share/icons/hicolor/48x48/apps/postwright.png" ] || fail "no icon for the menu"
HOME="$scratch/home1" XDG_DATA_HOME= "$top/install-menu-entry" --remove >/dev/null
[ ! -e "$entry" ] || fail "the menu entry was not removed"

# The .deb: its control data and files, then its launcher from an unpacked root.
dpkg-deb -f "$deb" Package | grep -qx postwright || fail "the package is not named postwright"
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6webenginecore6-bin libqt6widgets6 xdg-utils; do
  grep -q "$d" <<<"$depends" || fail "the package does not depend on $d"
done
if grep -q -- "-dev" <<<"$depends"; then fail "the package depends on a -dev package: $depends"; fi
listing=$(dpkg-deb -c "$deb")
for f in ./opt/postwright/Postwright ./opt/postwright/PostwrightBrowser.so ./opt/postwright/PostwrightMetafile.so \
         ./opt/postwright/Updater \
         ./opt/postwright/Formats.dat \
         ./opt/postwright/postwright ./usr/bin/postwright ./usr/share/applications/postwright.desktop \
         ./usr/share/icons/hicolor/256x256/apps/postwright.png; do
  grep -q " $f\( \|$\)" <<<"$listing" || fail "the .deb lacks $f"
done
grep -q "./install-menu-entry" <<<"$listing" && fail "the .deb carries the portable menu entry maker"
mkdir -p "$scratch/root" "$scratch/home2"
dpkg-deb -x "$deb" "$scratch/root"
installed=$(cd "$scratch/root" && find . | sort)
run_until_shown "$scratch/root/opt/postwright/postwright" "$scratch/home2" \
  "$scratch/home2/.local/share/postwright" || fail "the installed program did not run cleanly"
userdir="$scratch/home2/.local/share/postwright"
[ "$(readlink "$userdir/Postwright")" = "$scratch/root/opt/postwright/Postwright" ] ||
  fail "the user's folder does not link the installed program"
cmp -s "$userdir/Formats.dat" "$source/data/Formats.dat" || fail "the user's folder has no copy of Formats.dat"
[ "$(cd "$scratch/root" && find . | sort)" = "$installed" ] || fail "the installed program wrote beside itself"

# A user's own templates survive the next start.
printf 'Name^LinkOpen^LinkMiddle^LinkEnd^Email^\r\nmine^<^>^<^^\r\n' > "$userdir/Formats.dat"
run_until_shown "$scratch/root/opt/postwright/postwright" "$scratch/home2" "$userdir" ||
  fail "the installed program did not start a second time"
grep -q "^mine^" "$userdir/Formats.dat" || fail "the launcher replaced the user's templates"
echo "packages are sound"
