#!/usr/bin/env bash
# Installs what is missing, builds Tabulon into build/, then runs it or its tests.
#   tools/setup.sh run    build and open the designer window (build/tabulon)
#   tools/setup.sh test   build and run every test (ctest), browser and VBScript checks included,
#                         then build the Debian package, install it and start it
#   tools/setup.sh build  install the build packages and build only
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-build}

build_packages=(build-essential cmake ninja-build pkg-config
  libsqlitecpp-dev libsqlite3-dev libcli11-dev qt6-base-dev
  libgtest-dev libgmock-dev libbenchmark-dev g++-mingw-w64-x86-64)
# A Chinese font: the window tests and the README pictures see the glyphs a user sees. Every
# locale: the cases of other regional settings (a decimal comma) run instead of skipping.
test_packages=(mdbtools locales-all nodejs npm chromium wine wine64 xvfb xauth fonts-wqy-microhei python3 unicode-data
  curl sqlite3 clang-format git)

missing() {
  local p
  for p in "$@"; do
    # A Node.js that came with the machine (not from Debian) serves as well.
    case "$p" in
      nodejs) command -v node > /dev/null && continue ;;
      npm) command -v npm > /dev/null && continue ;;
    esac
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

install_packages() {
  local need
  need=$(missing "$@")
  [ -z "$need" ] && return 0
  if [ "$(id -u)" != 0 ]; then
    echo "missing packages (run as root to install): $need" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  # shellcheck disable=SC2086
  apt-get install -y -q --no-install-recommends $need
}

build() {
  # The ASP host (a Windows program run under Wine) compiles SQLite in from its amalgamation.
  if command -v x86_64-w64-mingw32-g++ > /dev/null; then
    bash tools/fetch_sqlite.sh build/_deps/sqlite-amalgamation ||
      echo "SQLite amalgamation not fetched: the ASP host will not be built" >&2
  fi
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build build
}

# The Jet reader on mutated and damaged files, under AddressSanitizer and UBSan: a small
# build of its own (jet/ and its reader tests only).
sanitized_reader_tests() {
  cmake -S tests/jet/sanitize -B build-sanitize -G Ninja
  cmake --build build-sanitize
  TABULON_FUZZ_ITERATIONS=5000 build-sanitize/jet_sanitized_tests
  # The preview's SQL translator and ADO core, likewise.
  cmake -S tests/preview_ado/sanitize -B build-sanitize-ado -G Ninja
  cmake --build build-sanitize-ado
  TABULON_FUZZ_ITERATIONS=3000 build-sanitize-ado/ado_sanitized_tests
  # The preview host's readers of requests, forms, cookies and saved sessions, likewise.
  cmake -S tests/preview_host/sanitize -B build-sanitize-host -G Ninja
  cmake --build build-sanitize-host
  TABULON_FUZZ_ITERATIONS=3000 build-sanitize-host/host_core_sanitized_tests
}

# The parallel build (pages on several threads, a step beside the others) under
# ThreadSanitizer: only the generator tests, in a build folder of their own.
thread_sanitized_build_tests() {
  mkdir -p build-tsan/_deps
  [ -d build/_deps/sqlite-amalgamation ] && cp -r build/_deps/sqlite-amalgamation build-tsan/_deps/
  cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread
  cmake --build build-tsan --target generator_tests
  TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" build-tsan/tests/generator/generator_tests \
    --gtest_filter='SiteBuild.*:Driver.*:OrderedParallel.*:SiteSink.*:DryRunSink.*:FileSink.*'
}

case "$mode" in
  build)
    install_packages "${build_packages[@]}"
    build
    ;;
  run)
    # wine runs the preview (⑤预览网站, tabulon serve).
    install_packages "${build_packages[@]}" xvfb xauth fonts-wqy-microhei wine wine64
    build
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
      echo "No display: starting Tabulon under a virtual X server (xvfb-run)." >&2
      exec xvfb-run -a ./build/tabulon
    fi
    exec ./build/tabulon
    ;;
  test)
    install_packages "${build_packages[@]}" "${test_packages[@]}"
    (cd tests/js && npm ci --no-audit --no-fund --loglevel=error)
    # Formatting is checked once the tree has been formatted as a whole (marked by this file).
    if [ -f .clang-format-enforced ]; then bash tools/check_format.sh; fi
    build
    # No test may rewrite the golden pages: they change only by tests/golden/update_goldens.
    in_git=false golden_before=""
    git rev-parse --is-inside-work-tree > /dev/null 2>&1 && in_git=true
    $in_git && golden_before=$(git status --porcelain -- tests/golden)
    (cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2)
    sanitized_reader_tests
    thread_sanitized_build_tests
    if $in_git && [ "$(git status --porcelain -- tests/golden)" != "$golden_before" ]; then
      echo "The test run changed tests/golden:" >&2
      git status --porcelain -- tests/golden >&2
      exit 1
    fi
    bash tools/package_check.sh
    ;;
  *)
    echo "usage: $0 run|test|build" >&2
    exit 2
    ;;
esac
