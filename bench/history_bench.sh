#!/usr/bin/env bash
# Times `tarvolt-ctl history` on a reply of about 20 MB (a long project
# history: many days, requests, tasks and commits) served by the scripted
# stand-in app, and reports wall time and peak memory.
#
# Baseline: `tarvolt-ctl request --summary x` against the SAME reply. That
# command sends one request, receives and parses the same 20 MB, then prints
# a few members, so the difference between the two runs is what rendering
# the report and writing it out cost.
#
# Usage: bench/history_bench.sh [size in MB, default 20]   (after a build)
set -euo pipefail
cd "$(dirname "$0")/.."

megabytes="${1:-20}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

python3 - "$work/reply.json" "$megabytes" <<'EOF'
import json, sys

path, megabytes = sys.argv[1], int(sys.argv[2])
target = megabytes * 1024 * 1024

def totals(i):
    return {"taskCount": 3, "agentCount": 2, "modelCount": 2, "commitCount": 2,
            "totalTokens": 1234567 + i, "inputTokens": 1000000 + i, "cachedInputTokens": 200000.5,
            "outputTokens": 34567, "elapsedSeconds": 3725.25 + i, "costUsd": 1.03125 + i / 7,
            "unpricedTaskCount": i % 2}

def task(i):
    return {"text": "corrigir o login do painel\nquando a sessão expira (%d)" % i, "outcome": "done",
            "panelName": "api-%d" % (i % 9), "panelId": i, "totalTokens": 412345 + i,
            "inputTokens": 400000, "cachedInputTokens": 10000, "outputTokens": 2345 + i,
            "elapsedSeconds": 1234.5, "models": ["claude/sonnet", "openai/gpt-x", None],
            "costUsd": None if i % 5 == 0 else 0.00015 * i,
            "commits": [{"sha": "%040x" % (i * 7919), "subject": "fix: sessão expirada %d" % i},
                        {"sha": "%040x" % (i * 104729), "subject": "test: cobre o caso %d" % i}]}

days, size, i = [], 0, 0
while size < target:
    requests = []
    for r in range(6):
        i += 1
        requests.append({"summary": "pedido %d: ajustar\r\no fluxo de login" % i, "totals": totals(i),
                         "tasks": [task(i * 10 + t) for t in range(3)]})
    day = {"day": "2026-%02d-%02d" % (1 + len(days) // 28 % 12, 1 + len(days) % 28),
           "requests": requests, "totals": totals(i)}
    days.append(day)
    size += len(json.dumps(day, ensure_ascii=False).encode())

with open(path, "w", encoding="utf-8") as out:
    json.dump({"ok": True, "projectKey": "/w/app", "days": days}, out, ensure_ascii=False)
EOF

reply_bytes=$(stat -c %s "$work/reply.json")

coproc APP { build/tests/scripted-app "$work/reply.json"; }
read -r port <&"${APP[0]}"

export TARVOLT_CTL_PORT="$port" TARVOLT_CTL_TOKEN=bench TARVOLT_TERMINAL_NAME=bench

measure() {
    local label="$1"
    shift
    local status=0
    /usr/bin/time -v -o "$work/time.txt" "$@" >"$work/out.txt" 2>"$work/err.txt" || status=$?
    local wall peak
    wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time.txt")
    peak=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt")
    printf '%-28s status %d  wall %s  peak RSS %s kB  stdout %s bytes\n' \
        "$label" "$status" "$wall" "$peak" "$(stat -c %s "$work/out.txt")"
    if [ "$status" -ne 0 ]; then head -c 300 "$work/err.txt"; fi
}

echo "reply: $reply_bytes bytes"
for round in 1 2 3; do
    measure "baseline (request) #$round" build/tarvolt-ctl request --summary x
    measure "history #$round" build/tarvolt-ctl history
done

exec {APP[1]}>&-
wait "$APP_PID" 2>/dev/null || true
