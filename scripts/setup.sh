#!/usr/bin/env bash
# Set-up on a fresh Debian 12 machine (as root): installs what is missing,
# builds, then either starts the program on a bundled example ("run") or runs
# every test ("test").
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-test}
build=${ORRINDALE_BUILD_DIR:-build}
packages=(cmake g++ make qt6-base-dev qt6-svg-dev libgl-dev libgtest-dev libgmock-dev fonts-dejavu-core xauth)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j "$(nproc)"

case "$mode" in
  test)
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
    ;;
  run)
    # Portable mode: settings and work files stay inside the build folder.
    home="$build/example-home"
    mkdir -p "$home"
    cp "$build/bin/EdiDef.bin" "$home/"
    cp examples/*.edi "$home/" 2>/dev/null || true
    shift || true
    ORRINDALE_HOME="$home" exec "$build/bin/orrindale" "$@"
    ;;
  *)
    echo "usage: scripts/setup.sh run|test" >&2
    exit 2
    ;;
esac
