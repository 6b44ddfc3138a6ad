# Shared by the scripts: the packages Orvista needs and the build.
# Sourced, not run.

ORVISTA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ORVISTA_BUILD=${ORVISTA_BUILD_DIR:-$ORVISTA_ROOT/build}
ORVISTA_PACKAGES="cmake g++ make libwxgtk3.2-dev libexpat1-dev libgtest-dev xvfb xauth xdotool imagemagick ruby-asciidoctor-pdf poppler-utils"

missing_packages() {
  local missing=""
  for p in $ORVISTA_PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
  done
  echo "$missing"
}

# Installs what is missing when running as root; otherwise names the one
# command to run and fails.
ensure_packages() {
  local missing
  missing=$(missing_packages)
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing:$missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends $missing >/dev/null
  else
    echo "Orvista needs packages that are not installed. Run:" >&2
    echo "  sudo apt-get install -y$missing" >&2
    exit 1
  fi
}

# build [targets...]: configures once and builds the given targets (all when none).
build() {
  cmake -S "$ORVISTA_ROOT" -B "$ORVISTA_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  local args=()
  for t in "$@"; do args+=(--target "$t"); done
  cmake --build "$ORVISTA_BUILD" -j"$(nproc)" "${args[@]}"
}

# What scripts/fuzz needs beyond the usual packages: clang with libFuzzer and
# its sanitizer runtimes, and llvm-symbolizer (package llvm) for readable stacks.
ORVISTA_FUZZ_PACKAGES="clang libclang-rt-14-dev llvm"

# ensure_more_packages PACKAGE...: ensure_packages for packages beyond the usual list.
ensure_more_packages() {
  local ORVISTA_PACKAGES="$*"
  ensure_packages
}

# build_variant DIR "TARGETS" [CMAKE-ARGS...]: build in another build folder
# with extra configure arguments; TARGETS is a space-separated list, "" for all.
build_variant() {
  local dir=$1 targets=$2
  shift 2
  cmake -S "$ORVISTA_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  local args=()
  for t in $targets; do args+=(--target "$t"); done
  cmake --build "$dir" -j"$(nproc)" "${args[@]}"
}

# wine_start: readies Wine for the Windows programs that follow (scripts/test-windows).
# Uses the caller's WINEPREFIX (made on first use, about 10 s; a prefix of its
# own, as any Wine programs still running in it are ended) and WINEDEBUG,
# WINEDLLOVERRIDES. It starts a lasting wineserver and the prefix's services
# with no output attached: otherwise the first program run under a pipe (ctest,
# $(...)) hands that pipe on to the server and services it starts, and the
# reader waits for them to quit, about 2.5 s more per test. End with wineserver -k.
wine_start() {
  wineserver -k 2>/dev/null && wineserver -w 2>/dev/null || true
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wine wineboot --init </dev/null >/dev/null 2>&1 || true
    wineserver -w
  fi
  wineserver -p </dev/null >/dev/null 2>&1 || true
  wine wineboot </dev/null >/dev/null 2>&1
}

# build_windows [TARGETS...]: cross-builds for Windows into build-windows
# ($ORVISTA_WINDOWS_BUILD_DIR) against the cached wxMSW of scripts/windows-deps;
# all targets when none are given. The installer takes the guide of the Linux
# build (`build guide`): its pictures are taken of the running program.
ORVISTA_WINDOWS_BUILD=${ORVISTA_WINDOWS_BUILD_DIR:-$ORVISTA_ROOT/build-windows}
build_windows() {
  local prefix
  prefix=$("$ORVISTA_ROOT/scripts/windows-deps" | tail -1)
  cmake -S "$ORVISTA_ROOT" -B "$ORVISTA_WINDOWS_BUILD" -DCMAKE_TOOLCHAIN_FILE="$ORVISTA_ROOT/cmake/mingw-w64.cmake" \
    -DORVISTA_WX_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVISTA_BUILD_GUIDE=OFF \
    -DORVISTA_BUILD_BENCH=ON -DORVISTA_GUIDE_PDF="$ORVISTA_BUILD/app/guide.pdf" >/dev/null
  local args=()
  for t in "$@"; do args+=(--target "$t"); done
  cmake --build "$ORVISTA_WINDOWS_BUILD" -j"$(nproc)" "${args[@]}"
}

# build_windows_installer: the Windows setup program, with the Linux build's
# guide; sets ORVISTA_SETUP_EXE to its path.
build_windows_installer() {
  ensure_more_packages nsis
  build guide
  build_windows installer
  local version
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$ORVISTA_WINDOWS_BUILD/CMakeCache.txt")
  ORVISTA_SETUP_EXE=$ORVISTA_WINDOWS_BUILD/orvista-$version-setup.exe
}
