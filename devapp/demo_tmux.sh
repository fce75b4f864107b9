#!/usr/bin/env bash
# The delegation session with real panes: the stand-in hosts every pane in a
# tmux server of its own, the subagents are scripted CLIs (demo_agent.sh)
# that read their task, work and report by themselves, and the orchestrator
# waits for their reports, accepts them and sees their windows go.
#
# usage: devapp/demo_tmux.sh <build folder> [--keep]
#   --keep   leaves the app and its panes running at the end, to attach and
#            look around; the last lines tell how to stop them
set -uo pipefail

build=$(cd "${1:-build}" && pwd) || exit 1
keep=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
ctl=$build/tarvolt-ctl
work=$(mktemp -d "${TMPDIR:-/tmp}/tarvolt-demo-tmux-XXXXXX")
failed=()

finish() {
  if [ -n "${TARVOLT_DEVAPP_PID:-}" ] && [ "$keep" != --keep ]; then
    kill -TERM "$TARVOLT_DEVAPP_PID" 2>/dev/null
    for _ in $(seq 50); do kill -0 "$TARVOLT_DEVAPP_PID" 2>/dev/null || break; sleep 0.1; done
    rm -rf "$work"
  fi
}
trap finish EXIT

step() {
  printf '\n$ %s\n' "${*/#$ctl/tarvolt-ctl}"
  "$@" || { failed+=("$*"); return 1; }
}

if ! command -v tmux >/dev/null; then
  echo "this demo needs tmux (the Debian package \"tmux\")"
  exit 1
fi

echo "== starting the stand-in app with real panes in tmux"
agent="sh '$here/demo_agent.sh' '$ctl'"
printf '$ tarvolt-devapp --panes tmux --cli-command codex=%q --background\n' "$agent"
exports=$("$build/tarvolt-devapp" --dir "$work/acme-web" --quiet --panes tmux --cli-command "codex=$agent" \
  --background 2>"$work/devapp.err") || { cat "$work/devapp.err"; exit 1; }
echo "$exports"
eval "$exports"
attach=$(sed -n 's/^# watch the panes: //p' <<<"$exports")
read -r -a tmux_cmd <<<"${attach% attach *}"

echo
echo "== the orchestrator delegates two tasks to scripted agents"
step "$ctl" spawn --cli codex --task "write the login page tests"
step "$ctl" spawn --cli codex --task "document the login flow in the README"
step "$ctl" list

echo
echo "== the agents answer by themselves; waiting for both reports"
for _ in $(seq 100); do
  [ "$("$ctl" inbox 2>/dev/null | grep -c '^--- report ')" -ge 2 ] && break
  sleep 0.1
done
step "$ctl" inbox
echo
echo "what the first agent's window shows:"
"${tmux_cmd[@]}" capture-pane -p -t "=acme-web:=tests-1" | sed '/^$/d'
step cat "$work/acme-web/work-tests-1.txt"

echo
echo "== accepting the reports ends the agents' windows"
step "$ctl" ack
step "$ctl" list
printf '\n$ tmux list-windows\n'
"${tmux_cmd[@]}" list-windows -t =acme-web -F '#{window_index}: #{window_name}'
[ "$("${tmux_cmd[@]}" list-windows -t =acme-web | wc -l)" -eq 1 ] || failed+=("the agents' windows are still there")

echo
if [ "$keep" = --keep ]; then
  echo "the app keeps serving; watch its panes with:"
  echo "  $attach"
  echo "and stop it (its tmux server goes with it) with:"
  echo "  kill $TARVOLT_DEVAPP_PID"
fi
if [ ${#failed[@]} -gt 0 ]; then
  printf 'demo FAILED at:'; printf ' [%s]' "${failed[@]}"; echo
  exit 1
fi
echo "demo finished: every step succeeded"
