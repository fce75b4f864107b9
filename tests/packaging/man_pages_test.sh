#!/usr/bin/env bash
# Every manual page renders without a single groff warning.
# Usage: man_pages_test.sh PAGE...
set -uo pipefail
failed=0
for page; do
    warnings=$(groff -man -ww -z "$page" 2>&1) || failed=1
    if [[ -n $warnings ]]; then
        echo "$page:" >&2
        echo "$warnings" >&2
        failed=1
    fi
done
exit $failed
