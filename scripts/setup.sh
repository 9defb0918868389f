#!/usr/bin/env bash
# Set-up on a fresh Debian 12 machine (as root): installs what is missing,
# builds, then either starts the program on a bundled example ("run") or runs
# every test ("test").
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-test}
build=${ORRINDALE_BUILD_DIR:-build}
packages=(cmake g++ make qt6-base-dev qt6-svg-dev libgl-dev libgtest-dev libgmock-dev fonts-dejavu-core xauth
  libcurl4-openssl-dev python3 python3-aiosmtpd poppler-utils xvfb xdotool qt6-qpa-plugins
  nlohmann-json3-dev libdtl-dev libxml2-dev python3-jsonschema
  libsqlite3-dev libpq-dev libssl-dev postgresql)

bash scripts/install-missing.sh "${packages[@]}"

# ORRINDALE_WERROR=ON (CI) turns compiler warnings into errors.
werror=${ORRINDALE_WERROR:-OFF}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORRINDALE_WERROR="$werror"
cmake --build "$build" -j "$(nproc)"

case "$mode" in
  test)
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
    # Second stage: the core test suite built with AddressSanitizer and
    # UndefinedBehaviorSanitizer (leaks included), GUI off, in its own build
    # folder. Any sanitizer report fails its test, and the script with it.
    # ORRINDALE_SANITIZE_STAGE=0 skips it (docs/RELIABILITY.md).
    if [ "${ORRINDALE_SANITIZE_STAGE:-1}" != 0 ]; then
      asan_build=${ORRINDALE_ASAN_BUILD_DIR:-build-asan}
      cmake -S . -B "$asan_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORRINDALE_BUILD_GUI=OFF \
        -DORRINDALE_SANITIZE=address,undefined -DORRINDALE_WERROR="$werror"
      cmake --build "$asan_build" -j "$(nproc)"
      ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1 \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --test-dir "$asan_build" --output-on-failure -j "$(nproc)"
    fi
    ;;
  run)
    # Portable mode: settings and work files stay inside the build folder.
    home="$build/example-home"
    mkdir -p "$home"
    cp "$build/bin/EdiDef.bin" "$home/"
    cp examples/*.edi "$home/" 2>/dev/null || true
    shift || true
    # With no file named, the bundled purchase order opens (pick type 850).
    [ $# -gt 0 ] || set -- "$home/850-purchase-order.edi"
    ORRINDALE_HOME="$home" exec "$build/bin/orrindale" "$@"
    ;;
  *)
    echo "usage: scripts/setup.sh run|test" >&2
    exit 2
    ;;
esac
