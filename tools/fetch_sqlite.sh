#!/usr/bin/env bash
# Puts the SQLite amalgamation (sqlite3.c, sqlite3.h) into DEST for the Windows ASP host.
# It comes from a pinned npm package that carries it; the package's checksum is checked.
#   tools/fetch_sqlite.sh DEST
set -euo pipefail
dest=${1:?usage: $0 DEST}
package=better-sqlite3@12.4.1
tarball=better-sqlite3-12.4.1.tgz
sha256=14398acbf00d1e8fe0a2753df7d4f15c13138e4b874f4e6e96791f65b4536d0d

if [ -f "$dest/sqlite3.c" ] && [ -f "$dest/sqlite3.h" ]; then
  exit 0
fi
command -v npm > /dev/null || { echo "fetch_sqlite: npm is needed to fetch $package" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && npm pack "$package" --silent > /dev/null)
echo "$sha256  $work/$tarball" | sha256sum -c --quiet - || {
  echo "fetch_sqlite: checksum of $tarball does not match" >&2
  exit 1
}
tar -xzf "$work/$tarball" -C "$work" package/deps/sqlite3/sqlite3.c package/deps/sqlite3/sqlite3.h
mkdir -p "$dest"
mv "$work/package/deps/sqlite3/sqlite3.h" "$dest/sqlite3.h"
mv "$work/package/deps/sqlite3/sqlite3.c" "$dest/sqlite3.c"
