#!/usr/bin/env bash
# Big replies and small ones, in one run, as ratios.
#
# History: for each reply size (MB; default 2 20 200) a long project history
# is served by the scripted stand-in app, and in each round, one after the
# other: `tarvolt-ctl history`, the Node.js peer (bench/history_peer.js: the
# same POST, JSON.parse, the same report text), the floor (`min-post`: the
# same POST, the raw answer copied out) and, when OLD names an earlier
# build, that build. Wall and CPU time are medians over the rounds, peak RSS
# the largest. Output goes to /dev/null for all; before timing, the peer's
# and the client's reports are checked to be the same bytes.
#
# List: `tarvolt-ctl list` against `min-post` linked statically and
# dynamically (median of alternating runs, from compare-commands).
#
# Usage: [OLD=path/to/tarvolt-ctl] [ROUNDS=5] [LIST_RUNS=300]
#        bench/history_bench.sh [megabytes...]        (after a build)
set -euo pipefail
cd "$(dirname "$0")/.."

sizes=("$@")
[ ${#sizes[@]} -eq 0 ] && sizes=(2 20 200)
rounds=${ROUNDS:-5}
ctl=${CTL:-build/tarvolt-ctl}
old=${OLD:-}
work="$(mktemp -d)"
trap 'exec 3>&- 2>/dev/null; rm -rf "$work"' EXIT

make_reply() {  # make_reply PATH MEGABYTES
python3 - "$1" "$2" <<'EOF'
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
}

start_app() {  # start_app REPLY_FILE; sets the pane variables
    [ -e "$work/keep" ] && { exec 3>&-; wait 2>/dev/null || true; rm -f "$work/keep" "$work/port"; }
    mkfifo "$work/keep"
    build/tests/scripted-app "$1" <"$work/keep" >"$work/port" &
    exec 3>"$work/keep"
    while [ ! -s "$work/port" ]; do sleep 0.05; done
    export TARVOLT_CTL_PORT=$(cat "$work/port") TARVOLT_CTL_TOKEN=bench TARVOLT_TERMINAL_NAME=bench
}

# One run: "wall cpu peak_kB" appended to $work/NAME.
measure() {  # measure NAME COMMAND...
    local name=$1 start end
    shift
    start=$(date +%s%N)
    /usr/bin/time -f '%U %S %M' -o "$work/time" "$@" >/dev/null 2>"$work/err" ||
        { echo "$name failed:" >&2; head -c 300 "$work/err" >&2; exit 1; }
    end=$(date +%s%N)
    awk -v ns=$((end - start)) '{ printf "%.4f %.3f %s\n", ns / 1e9, $1 + $2, $3 }' "$work/time" >>"$work/$name"
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
column_of() { awk -v c="$2" '{ print $c }' "$work/$1"; }

body='{"command":"history","from":"bench"}'
programs=(ctl node floor)
[ -n "$old" ] && programs+=(old)
echo "| reply | program | wall s | CPU s | peak RSS MB | wall / Node | RSS / Node | RSS / reply | wall ms per MB |"
echo "|---|---|---|---|---|---|---|---|---|"
for mb in "${sizes[@]}"; do
    make_reply "$work/reply.json" "$mb"
    reply_mb=$(awk -v b="$(stat -c %s "$work/reply.json")" 'BEGIN { printf "%.1f", b / 1048576 }')
    start_app "$work/reply.json"
    "$ctl" history >"$work/ctl.out"
    node bench/history_peer.js >"$work/node.out"
    cmp -s "$work/ctl.out" "$work/node.out" || { echo "the Node peer's report differs from the client's" >&2; exit 1; }
    rm -f "$work"/{ctl,node,floor,old}
    for ((r = 0; r < rounds; r++)); do
        measure ctl "$ctl" history
        measure node node bench/history_peer.js
        measure floor build/bench/min-post "$TARVOLT_CTL_PORT" "$body"
        [ -n "$old" ] && measure old "$old" history
    done
    node_wall=$(column_of node 1 | median)
    node_rss=$(column_of node 3 | sort -n | tail -1)
    for p in "${programs[@]}"; do
        wall=$(column_of "$p" 1 | median)
        cpu=$(column_of "$p" 2 | median)
        rss=$(column_of "$p" 3 | sort -n | tail -1)
        label=$p
        case $p in ctl) label="tarvolt-ctl" ;; node) label="Node.js peer" ;; floor) label="floor (min-post)" ;;
            old) label="tarvolt-ctl before" ;; esac
        awk -v mb="$reply_mb" -v l="$label" -v w="$wall" -v c="$cpu" -v r="$rss" -v nw="$node_wall" -v nr="$node_rss" \
            'BEGIN { printf "| %s MB | %s | %.3f | %.3f | %.0f | %.2f | %.2f | %.2f | %.1f |\n",
                     mb, l, w, c, r / 1024, w / nw, r / nr, r / 1024 / mb, w * 1000 / mb }'
    done
done

# The list reply of the client's own tests, against the static and the
# dynamic floor.
cat >"$work/list.json" <<'JSON'
{"ok":true,"terminals":[{"name":"orchestrator","role":"orchestrator","status":"busy","cliId":"claude","model":"opus","effort":"high","category":"planning"},{"name":"api-2","role":"subagent","status":"idle","cliId":"codex","model":"m1","effort":"high","category":"backend"},{"name":"ui-3","role":"subagent","status":"standby","cliId":"kimi","model":"k2","effort":"medium","category":"frontend"}],"pending":{"unreadReports":1,"runningTasks":1,"degraded":false}}
JSON
start_app "$work/list.json"
export TARVOLT_TERMINAL_NAME=orchestrator
list_body='{"command":"list","from":"orchestrator"}'
echo
for floor in min-post min-post-dynamic; do
    echo "list against $floor:"
    build/bench/compare-commands "${LIST_RUNS:-300}" -- build/bench/$floor "$TARVOLT_CTL_PORT" "$list_body" \
        -- "$ctl" list
done
