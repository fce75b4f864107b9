#!/usr/bin/env bash
# A short scripted delegation session between tarvolt-ctl and the stand-in
# app: every command with its output, then where the image and the video
# landed, checked to be a real PNG and a real YUV4MPEG2 video.
#
# usage: devapp/demo_session.sh <build folder> [--clean]
#   --clean  removes the workstation folder at the end (the tests use it)
# Exit status: 0 when every step succeeded; 77 when the only failures are the
# client's image or video command not being in this build yet; 1 otherwise.
set -uo pipefail

build=$(cd "${1:-build}" && pwd) || exit 1
clean=${2:-}
ctl_bin=$build/tarvolt-ctl
devapp_bin=$build/tarvolt-devapp
work=$(mktemp -d "${TMPDIR:-/tmp}/tarvolt-demo-XXXXXX")
workstation=$work/acme-web
app_pid=

finish() {
  if [ -n "$app_pid" ]; then kill "$app_pid" 2>/dev/null; wait "$app_pid" 2>/dev/null; fi
  if [ "$clean" = --clean ]; then rm -rf "$work"; else rm -f "$work/out" "$work/err" "$work/exports"; fi
}
trap finish EXIT

failed=()
not_built=()

# Prints "$ <command>" the way a person would type it, then its output.
show_command() {
  local shown=() a
  [ "$1" = env ] && shift
  for a in "$@"; do
    case $a in
      "$ctl_bin") shown+=(tarvolt-ctl) ;;
      *[!A-Za-z0-9_./=:,@+-]*|'') shown+=("$(printf "'%s'" "${a//\'/\'\\\'\'}")") ;;
      *) shown+=("$a") ;;
    esac
  done
  printf '\n$ %s\n' "${shown[*]}"
}

# step <label> <command...>: runs it, prints stdout and stderr, keeps stdout in $out.
out=
step() {
  local label=$1
  shift
  show_command "$@"
  "$@" >"$work/out" 2>"$work/err"
  local status=$?
  out=$(cat "$work/out")
  cat "$work/err" "$work/out"
  if [ $status -ne 0 ]; then
    printf '(exit status %s)\n' "$status"
    if grep -q 'is not in this build yet' "$work/err"; then not_built+=("$label"); else failed+=("$label"); fi
    return 1
  fi
  return 0
}

# The file a command printed must be inside the workstation and be what it says.
check_png() {
  local f=$1
  [ -f "$f" ] && [ "${f#"$workstation"/}" != "$f" ] || { echo "not a file in the workstation: $f"; return 1; }
  [ "$(head -c 8 "$f" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || { echo "no PNG signature: $f"; return 1; }
  [ "$(dd if="$f" bs=1 skip=12 count=4 2>/dev/null)" = IHDR ] || { echo "no IHDR chunk: $f"; return 1; }
  local wh
  wh=$(od -An -tu1 -j16 -N8 "$f" | awk '{print ($1*16777216+$2*65536+$3*256+$4) "x" ($5*16777216+$6*65536+$7*256+$8)}')
  echo "valid PNG, ${wh} pixels, $(wc -c <"$f") bytes: $f"
}

check_y4m() {
  local f=$1
  [ -f "$f" ] && [ "${f#"$workstation"/}" != "$f" ] || { echo "not a file in the workstation: $f"; return 1; }
  [ "$(head -c 10 "$f")" = "YUV4MPEG2 " ] || { echo "no YUV4MPEG2 header: $f"; return 1; }
  local header w h frame body
  header=$(head -n 1 "$f")
  [ "$(dd if="$f" bs=1 skip=$((${#header} + 1)) count=5 2>/dev/null)" = FRAME ] || { echo "no FRAME after the header: $f"; return 1; }
  w=$(sed -n 's/.* W\([0-9]*\).*/\1/p' <<<"$header")
  h=$(sed -n 's/.* H\([0-9]*\).*/\1/p' <<<"$header")
  [ -n "$w" ] && [ -n "$h" ] || { echo "no size in the header: $header"; return 1; }
  frame=$((w * h + 2 * ((w + 1) / 2) * ((h + 1) / 2) + 6))
  body=$(($(wc -c <"$f") - ${#header} - 1))
  [ $((body % frame)) -eq 0 ] || { echo "the frames do not add up to the file's size: $f"; return 1; }
  echo "valid YUV4MPEG2 video, ${w}x${h} pixels, $((body / frame)) frames, $(wc -c <"$f") bytes: $f"
}

echo "== starting the stand-in app (tarvolt-devapp) in a fresh workstation folder"
show_command tarvolt-devapp --dir "$workstation"
# exec, so that $! is the app itself and the signal below reaches it.
(exec "$devapp_bin" --dir "$workstation" >"$work/exports" 2>"$work/devapp.log") &
app_pid=$!
for _ in $(seq 100); do
  [ "$(wc -l <"$work/exports")" -ge 3 ] && break
  kill -0 "$app_pid" 2>/dev/null || break
  sleep 0.1
done
if [ "$(wc -l <"$work/exports")" -lt 3 ]; then
  cat "$work/devapp.log"
  echo "the stand-in app did not start"
  exit 1
fi
cat "$work/exports"
# shellcheck disable=SC1091
. "$work/exports"

echo
echo "== the orchestrator's session (TARVOLT_TERMINAL_NAME=$TARVOLT_TERMINAL_NAME)"
step brief "$ctl_bin" brief
step request "$ctl_bin" request --summary "add a login page with tests"
sub=
if step spawn "$ctl_bin" spawn --task "write the login page tests" --skills tdd-loop; then
  sub=$(sed -n 's/^subterminal created: \([^ ]*\).*/\1/p' <<<"$out")
fi
step list "$ctl_bin" list
step send "$ctl_bin" send --to "${sub:-?}" --message "cover the lockout after five failed attempts too"

echo
echo "== meanwhile, in the subagent's pane (TARVOLT_TERMINAL_NAME=${sub:-?})"
step progress env TARVOLT_TERMINAL_NAME="${sub:-?}" "$ctl_bin" progress --point "lockout test written" --next-step "run the whole suite"
step done env TARVOLT_TERMINAL_NAME="${sub:-?}" "$ctl_bin" done --report "login page tests written: 6 cases, lockout included, all passing"

echo
echo "== back in the orchestrator's pane"
step inbox "$ctl_bin" inbox
step ack "$ctl_bin" ack
step status "$ctl_bin" status
step "image --list-tools" "$ctl_bin" image --list-tools

image_path=
video_path=
step image "$ctl_bin" image --prompt "a red kite over the sea at sunset" && image_path=$out
step video "$ctl_bin" video --prompt "a red kite over the sea at sunset" && video_path=$out
step history "$ctl_bin" history

echo
echo "== where the files landed"
if [ -n "$image_path" ]; then check_png "$image_path" || failed+=("the image file"); fi
if [ -n "$video_path" ]; then check_y4m "$video_path" || failed+=("the video file"); fi

echo
echo "== stopping the stand-in app"
show_command kill -TERM "$app_pid"
kill -TERM "$app_pid"
wait "$app_pid"
stop_status=$?
app_pid=
tail -n 2 "$work/devapp.log"
[ $stop_status -eq 0 ] || failed+=("stopping the app (exit status $stop_status)")

echo
if [ "$clean" != --clean ]; then
  echo "the workstation folder stays at $workstation (its ledger journal is .tarvolt/journal.jsonl)"
fi
if [ ${#failed[@]} -gt 0 ]; then
  printf 'demo FAILED at:'; printf ' [%s]' "${failed[@]}"; echo
  exit 1
fi
if [ ${#not_built[@]} -gt 0 ]; then
  names=$(printf '%s and ' "${not_built[@]}")
  echo "demo incomplete: the client's ${names% and } command(s) are not in this build yet (see above); every other step succeeded"
  exit 77
fi
echo "demo finished: every step succeeded"
