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

# The installed preview: the host from libexec serves the sample site's login page through Wine.
if [ -f preview/host/asphost.exe ] && command -v wine > /dev/null; then
  [ -f /usr/libexec/tabulon/asphost.exe ] || { echo "not installed: /usr/libexec/tabulon/asphost.exe" >&2; exit 1; }
  log="$home/serve.log"
  HOME="$home" XDG_DATA_HOME= XDG_CACHE_HOME="${XDG_CACHE_HOME:-/root/.cache}" \
    tabulon serve 记账 --no-browser --port 0 > "$log" 2>&1 &
  serve_pid=$!
  address=
  for _ in $(seq 1 600); do
    address=$(grep -o 'http://127\.0\.0\.1:[0-9]*/' "$log" | head -1 || true)
    [ -n "$address" ] && break
    kill -0 "$serve_pid" 2> /dev/null || break
    sleep 0.1
  done
  [ -n "$address" ] || { cat "$log" >&2; echo "the installed preview did not start" >&2; exit 1; }
  page=$(curl -s --max-time 30 "$address" || true)
  kill -INT "$serve_pid"; wait "$serve_pid" || true
  grep -q 'form' <<< "$page" || { echo "the installed preview did not serve the login page" >&2; exit 1; }
  echo "installed preview served $address"
fi
echo "package installed and started"
