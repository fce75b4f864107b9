#!/usr/bin/env bash
# tarvolt-ctl list end to end against a loopback stand-in app, beside the
# floor: a minimal C program that sends the same POST and prints the raw
# answer. Prints both medians and their ratio.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-300}
scripts/build -DBUILD_TESTING=ON -DTARVOLT_BENCH=ON -DTARVOLT_STATIC=ON >/dev/null
work=$(mktemp -d)
trap 'exec 3>&- 2>/dev/null; rm -rf "$work"' EXIT
cat >"$work/answer.json" <<'JSON'
{"ok":true,"terminals":[{"name":"orchestrator","role":"orchestrator","status":"busy","cliId":"claude","model":"opus","effort":"high","category":"planning"},{"name":"api-2","role":"subagent","status":"idle","cliId":"codex","model":"m1","effort":"high","category":"backend"},{"name":"ui-3","role":"subagent","status":"standby","cliId":"kimi","model":"k2","effort":"medium","category":"frontend"}],"pending":{"unreadReports":1,"runningTasks":1,"degraded":false}}
JSON
mkfifo "$work/keep"
build/tests/scripted-app "$work/answer.json" <"$work/keep" >"$work/port" &
exec 3>"$work/keep"
while [ ! -s "$work/port" ]; do sleep 0.05; done
port=$(cat "$work/port")
export TARVOLT_CTL_PORT=$port TARVOLT_CTL_TOKEN=bench TARVOLT_TERMINAL_NAME=orchestrator
build/bench/compare-commands "$runs" \
  -- build/bench/min-post "$port" '{"command":"list","from":"orchestrator"}' \
  -- build/tarvolt-ctl list
