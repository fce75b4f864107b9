#!/bin/sh
# A scripted subagent for the real-pane demo and tests: it reads its task
# from its pane, does a token piece of work, and reports by itself with
# tarvolt-ctl, then waits for more, as an agent's CLI would.
# usage: demo_agent.sh [<tarvolt-ctl>]
ctl=${1:-tarvolt-ctl}
IFS= read -r task || exit 1
file="work-$TARVOLT_TERMINAL_NAME.txt"
printf '%s\n' "$task" >"$file"
"$ctl" progress --point "wrote $file" || exit 1
"$ctl" done --report "did \"$task\"; the result is in $file" || exit 1
while IFS= read -r line; do echo "got: $line"; done
