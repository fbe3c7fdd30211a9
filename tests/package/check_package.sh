#!/bin/sh
# Makes the Debian package from a built tree with cpack and checks what it holds, what it depends
# on, and its desktop entry and software-centre description with their validators.
# Usage: check_package.sh <cpack> <build folder>. Exits 77 (skipped) where dpkg-deb is missing.
set -u
cpack=$1
build=$2

if ! command -v dpkg-deb >/dev/null 2>&1; then
  echo "dpkg-deb is not installed: the Debian package is not made or checked here"
  exit 77
fi
for tool in dpkg-shlibdeps:dpkg-dev file:file desktop-file-validate:desktop-file-utils appstreamcli:appstream; do
  if ! command -v "${tool%%:*}" >/dev/null 2>&1; then
    echo "FAIL: ${tool%%:*} is missing; install the Debian package ${tool#*:} (scripts/setup-deps.sh)"
    exit 1
  fi
done

failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}

work=$build/package-check
rm -rf "$work"
mkdir -p "$work"
if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  fail "cpack could not make the package"
  exit 1
fi

set -- "$work"/*.deb
if [ $# -ne 1 ] || [ ! -f "$1" ]; then
  fail "cpack made $# packages, expected one: $*"
  exit 1
fi
deb=$1
root=$work/root
dpkg-deb -x "$deb" "$root" || { fail "dpkg-deb cannot unpack ${deb##*/}"; exit 1; }

# The name, version and architecture: the version is the one the installation facts state.
facts=$root/usr/share/tessoly/tessoly.ini
version=$(sed -n 's/^Version=//p' "$facts" 2>/dev/null)
arch=$(dpkg --print-architecture)
[ -n "$version" ] || fail "no Version in /usr/share/tessoly/tessoly.ini"
[ "${deb##*/}" = "tessoly_${version}_${arch}.deb" ] || fail "package file ${deb##*/}, expected tessoly_${version}_${arch}.deb"
[ "$(dpkg-deb -f "$deb" Package)" = tessoly ] || fail "package name $(dpkg-deb -f "$deb" Package)"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version $(dpkg-deb -f "$deb" Version), facts say $version"
[ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ] || fail "architecture $(dpkg-deb -f "$deb" Architecture)"
description=$(dpkg-deb -f "$deb" Description)
[ "$(printf '%s\n' "$description" | wc -l)" -ge 2 ] || fail "the package has no long description"
case "$description" in *";"*) fail "the package description holds a list separator: $description" ;; esac

# Every file, and nothing else (a man page may be compressed).
cat >"$work/expected" <<'LIST'
/usr/bin/tessoly
/usr/bin/tessoly-cli
/usr/share/applications/tessoly.desktop
/usr/share/bash-completion/completions/tessoly-cli
/usr/share/icons/hicolor/128x128/apps/tessoly.png
/usr/share/icons/hicolor/256x256/apps/tessoly.png
/usr/share/icons/hicolor/48x48/apps/tessoly.png
/usr/share/icons/hicolor/scalable/apps/tessoly.svg
/usr/share/man/man1/tessoly-cli.1
/usr/share/metainfo/com.varnelworks.tessoly.metainfo.xml
/usr/share/tessoly/tessoly.ini
LIST
(cd "$root" && find . ! -type d | sed -e 's|^\.||' -e 's|^\(/usr/share/man/.*\)\.gz$|\1|' | LC_ALL=C sort) >"$work/actual"
LC_ALL=C sort -o "$work/expected" "$work/expected"
for path in $(LC_ALL=C comm -23 "$work/expected" "$work/actual"); do fail "the package lacks $path"; done
for path in $(LC_ALL=C comm -13 "$work/expected" "$work/actual"); do fail "the package holds the stray $path"; done

# The binaries are stripped and run as packaged.
for program in tessoly tessoly-cli; do
  case "$(file -b "$root/usr/bin/$program")" in
    *ELF*", stripped"*) ;;
    *) fail "/usr/bin/$program is not a stripped program: $(file -b "$root/usr/bin/$program")" ;;
  esac
done
"$root/usr/bin/tessoly-cli" --help >"$work/help.txt" 2>&1 || fail "the packaged tessoly-cli --help failed: $(cat "$work/help.txt")"

# Each icon rendering has the size its folder names (width and height from the PNG header).
for size in 48 128 256; do
  png=$root/usr/share/icons/hicolor/${size}x${size}/apps/tessoly.png
  [ -f "$png" ] || continue
  set -- $(od -An -tu1 -j16 -N8 "$png")
  if [ $# -ne 8 ]; then fail "$png is not a PNG"; continue; fi
  width=$((($1 << 24) | ($2 << 16) | ($3 << 8) | $4))
  height=$((($5 << 24) | ($6 << 16) | ($7 << 8) | $8))
  [ "$width" = "$size" ] && [ "$height" = "$size" ] || fail "the ${size}x${size} icon is ${width}x${height}"
done

# Dependencies: the shared libraries dpkg-shlibdeps found, with their minimum versions, and the fonts.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# has_dependency <package> [<pattern its version must match>]
has_dependency() {
  name=$(printf '%s' "$1" | sed 's/[.+]/\\&/g')
  echo "$depends" | tr ',' '\n' | sed 's/^ *//' | grep -Eq "^$name${2:-( |\$)}"
}
for package in fonts-liberation; do
  has_dependency "$package" || fail "no dependency on $package"
done
for package in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 libfreeimage3 \
               libfreetype6 libfontconfig1 libcurl4; do
  has_dependency "$package" ' \(>= [^)]+\)$' || fail "no computed (versioned) dependency on $package"
done
if echo "$depends" | grep -q -- '-dev\b'; then fail "a development package is a dependency"; fi

# The desktop entry and the software-centre description pass their validators, and point at what
# the package holds.
desktop=$root/usr/share/applications/tessoly.desktop
if [ -f "$desktop" ]; then
  report=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$report" ] || fail "desktop-file-validate: $report"
  exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
  [ -x "$root/usr/bin/$exec_program" ] || fail "the desktop entry starts '$exec_program', not a packaged program"
  icon=$(sed -n 's/^Icon=//p' "$desktop")
  [ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "the desktop entry's icon '$icon' is not packaged"
fi
metainfo=$root/usr/share/metainfo/com.varnelworks.tessoly.metainfo.xml
if [ -f "$metainfo" ]; then
  appstreamcli validate --no-net --no-color "$metainfo" >"$work/appstream.txt" 2>&1 ||
    fail "appstreamcli validate: $(cat "$work/appstream.txt")"
  launchable=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")
  [ -f "$root/usr/share/applications/$launchable" ] || fail "the metainfo launches '$launchable', not a packaged desktop entry"
  grep -q '<description>' "$metainfo" || fail "the metainfo has no description"
  grep -q '<screenshot type="default">' "$metainfo" || fail "the metainfo has no default screenshot"
fi

[ "$failed" -eq 0 ] && echo "${deb##*/}: contents, dependencies, desktop entry and metainfo are sound"
exit "$failed"
