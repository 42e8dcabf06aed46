#!/usr/bin/env bash
# Installs the build into a temporary prefix (with a blank in its path), runs the
# installed tolvane-cli from there, and validates the desktop entry and the AppStream
# metadata. Usage: install_test.sh BUILD_DIR
set -euo pipefail

build=$1
temp=$(mktemp -d)
# cmake --install writes the list of what it installed into the build folder; the list
# of the user's own install from that folder is what uninstalling reads, so it is kept.
manifest="$build/install_manifest.txt"
restore_manifest() {
  if [ -f "$temp/kept_manifest.txt" ]; then
    cp -p "$temp/kept_manifest.txt" "$manifest"
  else
    rm -f "$manifest"
  fi
  rm -rf "$temp"
}
[ -f "$manifest" ] && cp -p "$manifest" "$temp/kept_manifest.txt"
trap restore_manifest EXIT
prefix="$temp/Tolvane Prefix"
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

cmake --install "$build" --prefix "$prefix" > "$temp/install.log"

for file in bin/tolvane bin/tolvane-cli share/tolvane/Language/ENG.ini \
            share/tolvane/Language/CHT.ini share/applications/tolvane.desktop \
            share/icons/hicolor/scalable/apps/tolvane.svg \
            share/man/man1/tolvane.1.gz share/man/man1/tolvane-cli.1.gz; do
  [ -f "$prefix/$file" ] || fail "$file is not installed"
done
[ -x "$prefix/bin/tolvane" ] && [ -x "$prefix/bin/tolvane-cli" ] || fail "the programs are not executable"

# Each fixed size is a PNG of that size (width and height in its IHDR chunk).
for size in 16 22 24 32 48 64 128 256; do
  png="$prefix/share/icons/hicolor/${size}x${size}/apps/tolvane.png"
  if [ ! -f "$png" ]; then
    fail "no ${size}x${size} icon"
    continue
  fi
  header=$(od -An -tx1 -N24 "$png" | tr -d ' \n')
  expected=$(printf '89504e470d0a1a0a0000000d49484452%08x%08x' "$size" "$size")
  [ "$header" = "$expected" ] || fail "${size}x${size} icon: header $header"
done

for page in tolvane tolvane-cli; do
  gzip -t "$prefix/share/man/man1/$page.1.gz" || fail "$page.1.gz is no gzip file"
  if warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l -Tutf8 \
                "$prefix/share/man/man1/$page.1.gz" 2>&1 >/dev/null) && [ -n "$warnings" ]; then
    fail "$page.1: $warnings"
  fi
done

# The installed tolvane-cli, run from the prefix, finds its language files there:
# with the English locale the summary line is English, with "language=CHT" it is
# Traditional Chinese (失敗 and 未選取, where the built-in texts say 失败 and 未选中). A settings file and a folder of the test's own.
export HOME="$temp/home" XDG_CONFIG_HOME="$temp/config" XDG_STATE_HOME="$temp/state"
mkdir -p "$HOME" "$temp/files"
: > "$temp/files/a.txt"
summary=$(cd "$temp" && LC_ALL=C.UTF-8 "$prefix/bin/tolvane-cli" --apply --set 1035=x_ "$temp/files" | tail -n 1)
case "$summary" in
  *Succeeded*1*) ;;
  *) fail "the English summary was: $summary" ;;
esac
mkdir -p "$XDG_CONFIG_HOME/tolvane"
printf '[set]\nlanguage=CHT\n' > "$XDG_CONFIG_HOME/tolvane/Tolvane.ini"
summary=$(LC_ALL=C.UTF-8 "$prefix/bin/tolvane-cli" --apply --set 1035=y_ "$temp/files" | tail -n 1)
case "$summary" in
  *失敗*未選取*) ;;
  *) fail "the Traditional Chinese summary was: $summary" ;;
esac
[ -f "$temp/files/y_x_a.txt" ] || fail "the installed tolvane-cli did not rename"

desktop="$prefix/share/applications/tolvane.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate"
grep -qxF "Exec=\"$prefix/bin/tolvane\" %F" "$desktop" || fail "Exec line: $(grep '^Exec=' "$desktop")"
# The package's trigger rebuilds the MIME cache of the folder the entry goes to; the
# entry is then still no default for folders or unknown files, before or after the
# system's file manager (in a folder searched after the prefix, or in none at all).
mkdir -p "$temp/system/applications" "$temp/emptyconfig"
ln -s /usr/share/mime "$temp/system/mime"
printf '[Desktop Entry]\nType=Application\nName=Files\nExec=/bin/true %%U\nMimeType=inode/directory;application/octet-stream;\n' \
  > "$temp/system/applications/files.desktop"
update-desktop-database "$prefix/share/applications" "$temp/system/applications"
for dirs in "$prefix/share:$temp/system" "$temp/system:$prefix/share" "$prefix/share"; do
  for type in inode/directory application/octet-stream; do
    chosen=$(env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION -u KDE_FULL_SESSION -u DISPLAY \
             XDG_DATA_DIRS="$dirs" XDG_DATA_HOME="$temp/emptydata" XDG_CONFIG_HOME="$temp/emptyconfig" \
             XDG_CONFIG_DIRS="$temp/emptyconfig" LC_ALL=C.UTF-8 \
             sh -c 'gio mime "$1" | head -n 1; xdg-mime query default "$1"' sh "$type" 2>&1) ||
      fail "gio or xdg-mime failed for $type: $chosen"
    case "$chosen" in
      *tolvane*) fail "with $dirs, Tolvane is the default for $type: $chosen" ;;
    esac
  done
done
metainfo=("$prefix"/share/metainfo/*.metainfo.xml)
[ -f "${metainfo[0]}" ] || fail "no AppStream metadata"
appstreamcli validate --no-net "${metainfo[@]}" || fail "appstreamcli validate"
grep -q '<launchable type="desktop-id">tolvane.desktop</launchable>' "${metainfo[0]}" ||
  fail "the metadata does not launch tolvane.desktop"

if [ "$failures" -gt 0 ]; then
  echo "$failures failures" >&2
  exit 1
fi
echo "install test passed: $prefix"
