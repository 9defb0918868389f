#!/usr/bin/env bash
# Builds the Debian package from a build folder and checks it the way a user
# and an administrator meet it (as root on Debian 12):
#   scripts/package.sh build   - build/orrindale_*.deb (builds first if needed)
#   scripts/package.sh check   - build, lint, install, run from the installed
#                                location, validate desktop files, remove
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-build}
build=${ORRINDALE_BUILD_DIR:-build}
tools=(dpkg-dev fakeroot desktop-file-utils appstream lintian shared-mime-info)
bash scripts/install-missing.sh "${tools[@]}"

[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j "$(nproc)"
rm -f "$build"/orrindale_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/orrindale_*.deb)
echo "package: $deb"
[ "$mode" = check ] || exit 0

# Lint errors fail; warnings are printed.
lintian --fail-on error --suppress-tags no-manual-page "$deb"
desktop-file-validate data/desktop/orrindale.desktop
appstreamcli validate --no-net data/desktop/org.orrindale.Orrindale.metainfo.xml

export DEBIAN_FRONTEND=noninteractive
apt-get install -y "./$deb"
trap 'apt-get remove -y orrindale >/dev/null' EXIT
scratch=$(mktemp -d)
(
  cd "$scratch"
  unset ORRINDALE_HOME
  export HOME="$scratch"
  orrindale-cli --version
  orrindale-cli defs >defs.txt
  grep -q "^doc850.def" defs.txt || { echo "defs lists no 850 from the installed program" >&2; exit 1; }
  # mail runs in orrindale-cli-io, started from libexec: a usage error, not "cannot start".
  status=0
  orrindale-cli mail 2>mail.txt || status=$?
  [ "$status" = 2 ] && grep -q "usage: orrindale-cli \[--home DIR\] mail" mail.txt ||
    { echo "orrindale-cli mail did not reach orrindale-cli-io (status $status):" >&2; cat mail.txt >&2; exit 1; }
  desktop-file-validate /usr/share/applications/orrindale.desktop
  appstreamcli validate --no-net /usr/share/metainfo/org.orrindale.Orrindale.metainfo.xml
  # The file type reached the shared MIME database (by the dpkg trigger), with its magic.
  grep -q "^application/x-edi-x12$" /usr/share/mime/types
  grep -aq "application/x-edi-x12" /usr/share/mime/magic
  # The program starts as the menu entry starts it and keeps running until closed.
  status=0
  QT_QPA_PLATFORM=offscreen timeout 5 "$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' /usr/share/applications/orrindale.desktop)" \
    >out.txt 2>&1 || status=$?
  [ "$status" = 124 ] || { echo "orrindale ended with status $status:" >&2; cat out.txt >&2; exit 1; }
)
rm -rf "$scratch"
apt-get remove -y orrindale
trap - EXIT
! command -v orrindale-cli >/dev/null || { echo "orrindale-cli still installed after removal" >&2; exit 1; }
echo "package check passed"
