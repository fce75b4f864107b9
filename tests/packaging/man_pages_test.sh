#!/usr/bin/env bash
# Every manual page renders without a single groff warning.
# Usage: man_pages_test.sh PAGE...
set -uo pipefail
for page; do
    if ! warnings=$(groff -man -ww -z "$page" 2>&1) || [[ -n $warnings ]]; then
        printf '%s:\n%s\n' "$page" "$warnings" >&2
        exit 1
    fi
done
