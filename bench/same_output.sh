#!/usr/bin/env bash
# Runs two builds of tarvolt-ctl on the same replies and arguments and reports
# every command whose standard output, standard error or exit status differs.
# A refactor or a speed-up must leave this at zero.
#   bench/same_output.sh OLD_CTL NEW_CTL [SCRIPTED_APP] [REPLY_DIR]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
old=$1 new=$2
app=${3:-$here/../build/tests/scripted-app}
replies=${4:-$here/replies}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

runs=0 differ=0
compare() {  # compare LABEL ARGS... (environment as set by the caller)
    local label=$1; shift
    "$old" "$@" >"$work/o.out" 2>"$work/o.err" </dev/null; local os=$?
    "$new" "$@" >"$work/n.out" 2>"$work/n.err" </dev/null; local ns=$?
    runs=$((runs + 1))
    if [ $os -ne $ns ] || ! cmp -s "$work/o.out" "$work/n.out" || ! cmp -s "$work/o.err" "$work/n.err"; then
        differ=$((differ + 1))
        echo "differs: $label: $*"
    fi
}

commands=(
    "spawn --task t --cli codex --model m --effort high"
    "send --to api-2 --message hi"
    "standby --terminal a" "resume --terminal a" "close --terminal a"
    "merge" "merge --to-main --bump minor"
    "done --report r" "progress" "progress --point p --next-step n"
    "artifact --path f --kind image" "request --summary s"
    "history" "history --day 2026-01-02"
    "list" "status" "inbox" "ack" "ack --report r1"
    "note --text t --kind plan" "brief" "skills --for x" "models" "models --cli kimi" "quota"
    "install-skill --id a-b --name n --description d --instructions i"
    "image --list-tools"
)

# Arguments alone: help, usage errors, the environment rules.
env -u TARVOLT_CTL_PORT -u TARVOLT_CTL_TOKEN -u TARVOLT_TERMINAL_NAME true
for args in "" "help" "--help" "nope" "spawn" "spawn --task" "spawn --task t --cli nope" \
            "spawn --task t --complexity x" "send --to a" "image --list-tools" "image --tool x --prompt p" \
            "progress --point" "merge --bump huge" "list --extra" ; do
    # shellcheck disable=SC2086
    compare "no pane" $args
    # shellcheck disable=SC2086
    TARVOLT_CTL_PORT=1 TARVOLT_CTL_TOKEN=t TARVOLT_TERMINAL_NAME=o compare "closed port" $args
    # shellcheck disable=SC2086
    TARVOLT_CTL_PORT=99999 TARVOLT_CTL_TOKEN=t TARVOLT_TERMINAL_NAME=o compare "bad port" $args
done

# Every reply against every command.
for reply in "$replies"/*.json; do
    mkfifo "$work/in"
    "$app" "$reply" <"$work/in" >"$work/port" &
    pid=$!
    exec 3>"$work/in"
    for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.01; done
    port=$(head -n1 "$work/port")
    for c in "${commands[@]}"; do
        # shellcheck disable=SC2086
        TARVOLT_CTL_PORT=$port TARVOLT_CTL_TOKEN=tok TARVOLT_TERMINAL_NAME=orchestrator \
            compare "$(basename "$reply")" $c
    done
    exec 3>&-
    wait "$pid"
    rm -f "$work/in" "$work/port"
done
echo "$runs runs, $differ differ"
[ "$differ" -eq 0 ]
