#!/usr/bin/env bash
# A short scripted delegation session between tarvolt-ctl and the stand-in
# app: every command with its output, then where the image and the video
# landed, checked to be a real PNG and a real YUV4MPEG2 video. The transcript
# must match demo_session.expected, with what changes from run to run (folder,
# port, token, pid, times, the PNG's compressed size) as placeholders.
#
# usage: devapp/demo_session.sh <build folder> [--clean | --accept]
#   --clean   removes the workstation folder at the end (the tests use it)
#   --accept  writes this run's transcript as the expected one
# Exit status: 0 when every step succeeded; 77 when the only failures are the
# client's image or video command not being in this build yet; 1 otherwise.
set -uo pipefail

build=$(cd "${1:-build}" && pwd) || exit 1
clean=${2:-}
expected=$(cd "$(dirname "$0")" && pwd)/demo_session.expected
ctl_bin=$build/tarvolt-ctl
devapp_bin=$build/tarvolt-devapp
work=$(mktemp -d "${TMPDIR:-/tmp}/tarvolt-demo-XXXXXX")
workstation=$work/acme-web
app_pid=

finish() {
  if [ -n "$app_pid" ]; then kill "$app_pid" 2>/dev/null; wait "$app_pid" 2>/dev/null; fi
  if [ "$clean" = --clean ]; then rm -rf "$work"; else rm -f "$work"/{out,err,exports,transcript*}; fi
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

# Bytes of a file as hex digits, and a big-endian 32-bit number: <file> <offset> [<count>].
hex_at() { od -An -tx1 -j"$2" -N"${3:-4}" "$1" | tr -d ' \n'; }
u32_at() { echo $((16#$(hex_at "$1" "$2"))); }
# The CRC-32 of <count> bytes at <offset>, as PNG keeps it: gzip's trailer
# carries the same CRC-32 (least significant byte first).
crc32_at() {
  tail -c +$(($2 + 1)) "$1" | head -c "$3" | gzip -c | tail -c 8 | od -An -tx1 -N4 | awk '{print $4 $3 $2 $1}'
}

in_workstation() {
  [ -f "$1" ] && [ "${1#"$workstation"/}" != "$1" ] || { echo "not a file in the workstation: $1"; return 1; }
}

# The file a command printed must be inside the workstation and be what it
# says: PNG chunks with their checksums from IHDR to IEND.
check_png() {
  local f=$1 size at=8 length type idat= last=
  in_workstation "$f" || return 1
  [ "$(hex_at "$f" 0 8)" = 89504e470d0a1a0a ] || { echo "no PNG signature: $f"; return 1; }
  size=$(wc -c <"$f")
  while [ $((at + 12)) -le "$size" ]; do
    length=$(u32_at "$f" $at)
    type=$(dd if="$f" bs=1 skip=$((at + 4)) count=4 2>/dev/null)
    [ $((at + 12 + length)) -le "$size" ] || { echo "chunk $type runs past the end: $f"; return 1; }
    [ "$(crc32_at "$f" $((at + 4)) $((length + 4)))" = "$(hex_at "$f" $((at + 8 + length)))" ] || { echo "bad checksum in $type: $f"; return 1; }
    [ $at -gt 8 ] || [ "$type" = IHDR ] || { echo "the first chunk is not IHDR: $f"; return 1; }
    [ "$type" = IDAT ] && idat=yes
    last=$type
    at=$((at + 12 + length))
  done
  [ "$at" -eq "$size" ] && [ "$last" = IEND ] && [ -n "$idat" ] || { echo "no IDAT, or no IEND at the end: $f"; return 1; }
  echo "valid PNG, $(u32_at "$f" 16)x$(u32_at "$f" 20) pixels, $size bytes: $f"
}

# A 4:2:0 header with its size, then whole frames, each behind its FRAME line.
check_y4m() {
  local f=$1 header w h frame size at frames=0
  in_workstation "$f" || return 1
  header=$(head -n 1 "$f")
  [ "${header:0:10}" = "YUV4MPEG2 " ] || { echo "no YUV4MPEG2 header: $f"; return 1; }
  w=$(sed -n 's/.* W\([0-9]*\).*/\1/p' <<<"$header")
  h=$(sed -n 's/.* H\([0-9]*\).*/\1/p' <<<"$header")
  [ -n "$w" ] && [ -n "$h" ] && [[ $header == *" C420"* ]] || { echo "no size or no 4:2:0 in the header: $header"; return 1; }
  frame=$((w * h + 2 * ((w + 1) / 2) * ((h + 1) / 2)))
  size=$(wc -c <"$f")
  at=$((${#header} + 1))
  while [ "$at" -lt "$size" ]; do
    [ "$(hex_at "$f" "$at" 6)" = 4652414d450a ] || { echo "no FRAME where frame $((frames + 1)) begins: $f"; return 1; }
    at=$((at + 6 + frame))
    frames=$((frames + 1))
  done
  [ "$at" -eq "$size" ] && [ $frames -gt 0 ] || { echo "the last frame is cut short: $f"; return 1; }
  echo "valid YUV4MPEG2 video, ${w}x${h} pixels, $frames frames, $size bytes: $f"
}

# What changes from run to run, as placeholders.
normalized() {
  sed -e "s|$work|<work>|g" \
    -e 's/^export TARVOLT_CTL_PORT=[0-9]*$/export TARVOLT_CTL_PORT=<port>/' \
    -e 's/^export TARVOLT_CTL_TOKEN=[0-9a-f]*$/export TARVOLT_CTL_TOKEN=<token>/' \
    -e 's/^\$ kill -TERM [0-9]*$/$ kill -TERM <pid>/' \
    -e 's/ built [A-Z][a-z][a-z] [ 0-9][0-9] [0-9]\{4\} [0-9:]\{8\}$/ built <date>/' \
    -e 's/[0-9]\{4\}-[0-9][0-9]-[0-9][0-9]T[0-9:]\{8\}Z/<moment>/g' \
    -e 's/-[0-9]\{8\}-[0-9]\{6\}-[0-9]\{3\}\./-<stamp>./g' \
    -e 's/^dia [0-9-]\{10\} /dia <day> /' \
    -e 's/ [0-9]*h [0-9][0-9]m [0-9][0-9]s$/ <elapsed>/' \
    -e 's/ at [0-9a-f]\{7\}$/ at <head>/' \
    -e 's/^\(valid PNG, [0-9x]* pixels\), [0-9]* bytes/\1, <size> bytes/' "$1"
}

# Everything up to the stop is kept as the transcript as well.
exec 3>&1 > >(tee "$work/transcript")
tee_pid=$!

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
exec >&3 3>&-
wait "$tee_pid"

if [ ${#not_built[@]} -eq 0 ]; then
  normalized "$work/transcript" >"$work/transcript.normal"
  if [ "$clean" = --accept ]; then
    cp "$work/transcript.normal" "$expected"
  elif ! diff -u "$expected" "$work/transcript.normal" >"$work/transcript.diff"; then
    echo
    echo "the transcript differs from $expected:"
    cat "$work/transcript.diff"
    failed+=("the transcript")
  fi
fi

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
