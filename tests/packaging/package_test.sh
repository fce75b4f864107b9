#!/usr/bin/env bash
# Builds the Debian package and has lintian check it: no error allowed.
# Usage: package_test.sh BUILD_FOLDER
set -euo pipefail
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cpack --config "$1/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || { cat "$out/cpack.log" >&2; exit 1; }
deb=$(echo "$out"/tarvolt-ctl_*.deb)
dpkg-deb -c "$deb" | grep ' \./usr/bin/tarvolt-ctl$' >/dev/null || { echo "the package holds no tarvolt-ctl" >&2; exit 1; }
lintian --fail-on error "$deb"
