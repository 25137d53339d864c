#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a scratch tree as a package would, checks its
# layout and desktop files, starts both programs from it, and builds the
# .deb and reads its contents and dependencies.
#   check-install.sh BUILD_DIR
set -euo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
tree=$scratch/tree
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

DESTDIR=$tree cmake --install "$build" --prefix /usr >/dev/null
program=usr/lib/frameloom
expected=(
    usr/bin/frameloom usr/bin/frameloom-cli
    $program/frameloom $program/frameloom-cli $program/frameloom-formats $program/libReellib.so
    $program/Tips.txt $program/help/index.html $program/Images/sample.gif
    usr/share/applications/org.frameloom.Frameloom.desktop
    usr/share/metainfo/org.frameloom.Frameloom.metainfo.xml
    usr/share/icons/hicolor/scalable/apps/org.frameloom.Frameloom.svg
)
for size in 16 24 32 48 64 128 256; do
    expected+=(usr/share/icons/hicolor/${size}x${size}/apps/org.frameloom.Frameloom.png)
done
for file in "${expected[@]}"; do
    [[ -e $tree/$file ]] || fail "the installed tree lacks $file"
done
for link in frameloom frameloom-cli; do
    [[ $(readlink "$tree/usr/bin/$link") == ../lib/frameloom/$link ]] || fail "bin/$link is not a relative link"
done
[[ $(identify -format '%wx%h' "$tree/usr/share/icons/hicolor/48x48/apps/org.frameloom.Frameloom.png") == 48x48 ]] ||
    fail "the 48 pixel icon has another size"

desktop-file-validate "$tree/usr/share/applications/org.frameloom.Frameloom.desktop" || fail "desktop-file-validate"
grep -q '^MimeType=image/gif;$' "$tree/usr/share/applications/org.frameloom.Frameloom.desktop" ||
    fail "the desktop entry does not open image/gif"
appstreamcli validate --no-net "$tree/usr/share/metainfo/org.frameloom.Frameloom.metainfo.xml" >/dev/null ||
    fail "appstreamcli validate"

# The command line tool runs its codec commands in the companion program
# beside it, reached through the link in bin/.
convert -size 8x6 xc:red "$scratch/red.png"
"$tree/usr/bin/frameloom-cli" import "$scratch/red.png" "$scratch/red.gif" >/dev/null || fail "frameloom-cli import"
"$tree/usr/bin/frameloom-cli" info "$scratch/red.gif" | grep -q 'screen: 8 x 6' || fail "the imported picture"

# The editor, started through its link, finds its program folder: it
# opens on the sample folder, draws the logo from the companion library
# (a missing one would stop it with a message), and records the folder.
mkdir -p "$scratch/config" "$scratch/tmp"
QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=$scratch/config TMPDIR=$scratch/tmp \
    timeout 120 "$tree/usr/bin/frameloom" --screenshot "$scratch/shot.png" >/dev/null 2>&1 || fail "the editor did not start and end"
[[ -s $scratch/shot.png ]] || fail "the editor took no screenshot"
grep -rqs "InstallDir=.*$tree/$program/" "$scratch/config" || fail "the editor did not find its program folder"

# The package: the same files, and the Debian packages of the libraries.
cpack --config "$build/CPackConfig.cmake" -B "$scratch/package" >/dev/null
deb=$(ls "$scratch"/package/frameloom_*.deb)
contents=$(dpkg-deb --contents "$deb")
for file in "${expected[@]}"; do
    grep -q " \./$file" <<<"$contents" || fail "the package lacks $file"
done
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libavformat59 libmagick++-6.q16-8 libjpeg62-turbo qt6-qpa-plugins; do
    grep -q "$package" <<<"$depends" || fail "the package does not depend on $package ($depends)"
done

((failures == 0)) && echo "installation: ${#expected[@]} files, both programs run from the tree, package $(basename "$deb")"
exit $((failures > 0))
