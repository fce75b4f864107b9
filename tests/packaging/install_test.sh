#!/usr/bin/env bash
# Installs the build into a staging folder: every file lands where the
# shells and man look for it, and the installed program runs.
# Usage: install_test.sh BUILD_FOLDER
set -euo pipefail
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR=$stage cmake --install "$1" --prefix /usr >/dev/null
for file in bin/tarvolt-ctl share/man/man1/tarvolt-ctl.1.gz share/bash-completion/completions/tarvolt-ctl \
    share/zsh/vendor-completions/_tarvolt-ctl share/fish/vendor_completions.d/tarvolt-ctl.fish \
    share/doc/tarvolt-ctl/copyright; do
    [[ -f $stage/usr/$file ]] || { echo "not installed: $file" >&2; exit 1; }
done
"$stage/usr/bin/tarvolt-ctl" help | grep -q '^usage: tarvolt-ctl ' || { echo "the installed program does not run help" >&2; exit 1; }
