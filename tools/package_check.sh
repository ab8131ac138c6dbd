#!/usr/bin/env bash
# Builds the Debian package from build/, installs it with dpkg and starts what it installed:
# tabulon --help, tabulon --version and the window under a virtual X server, run by a
# fresh user folder so that the installed program's data folder is seen to be used.
set -euo pipefail
cd "$(dirname "$0")/../build"
cpack -G DEB > /dev/null
package=$(ls tabulon_*_amd64.deb)
echo "package: $package"
dpkg-deb --field "$package" Package Version Depends Recommends
dpkg -i "$package" || { apt-get install -f -y -q; dpkg -i "$package"; }

for file in /usr/bin/tabulon /usr/share/applications/tabulon.desktop \
    /usr/share/icons/hicolor/48x48/apps/tabulon.png /usr/share/icons/hicolor/256x256/apps/tabulon.png \
    /usr/share/doc/tabulon/tutorial/index.html; do
  [ -e "$file" ] || { echo "not installed: $file" >&2; exit 1; }
done

tabulon --help > /dev/null
tabulon --version

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
# The window stays open until it is closed; still running after a few seconds means it started.
status=0
HOME="$home" XDG_DATA_HOME= timeout 8 xvfb-run -a tabulon || status=$?
if [ "$status" != 124 ]; then
  echo "the installed window ended with status $status" >&2
  exit 1
fi
[ -f "$home/.local/share/tabulon/tabulon-catalogue.db" ] || {
  echo "the installed program did not keep its catalogue in the user's data folder" >&2
  exit 1
}
[ ! -e /usr/bin/tabulon-catalogue.db ] || { echo "a catalogue was written to /usr/bin" >&2; exit 1; }
echo "package installed and started"
