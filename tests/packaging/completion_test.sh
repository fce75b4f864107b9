#!/usr/bin/env bash
# Runs the generated completion of one shell over the table of cases.
# Usage: completion_test.sh bash|zsh|fish GENERATED_FOLDER CASES_FILE
# zsh offers through compadd and _files only inside its line editor, so
# here they print what they are given that starts with the word completed.
set -euo pipefail
shell=$1 generated=$(realpath "$2") cases=$(realpath "$3")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
touch kite.png kitten.txt

offers() {
    case $shell in
    bash) bash --norc --noprofile -c '
        source "$1"
        read -ra COMP_WORDS <<<"$2"
        [[ $2 == *" " ]] && COMP_WORDS+=("")
        COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
        _tarvolt_ctl
        printf "%s\n" "${COMPREPLY[@]}"' _ "$generated/tarvolt-ctl.bash" "$1" ;;
    zsh) zsh -f -c '
        compadd() {
            shift $argv[(i)--]
            print -rl -- ${(M)@:#$PREFIX*}
        }
        _files() { compadd -- "$PREFIX"*(N); }
        fpath=($1 $fpath)
        autoload -Uz _tarvolt-ctl
        words=(${(z)2})
        [[ $2 == *" " ]] && words+=("")
        CURRENT=$#words
        PREFIX=$words[-1]
        _tarvolt-ctl' _ "$generated" "$1" ;;
    fish) fish --no-config -c 'source $argv[1]; complete -C $argv[2]' "$generated/tarvolt-ctl.fish" "$1" | cut -f1 ;;
    esac | sed '/^$/d' | LC_ALL=C sort | paste -sd ' ' -
}

failed=0
while IFS='|' read -r line expected; do
    [[ -z $line || $line == '#'* ]] && continue
    got=$(offers "$line") || true  # a completion that offers nothing may return false
    if [[ $got != "$expected" ]]; then
        echo "$shell: \"$line\": offered \"$got\", expected \"$expected\"" >&2
        failed=1
    fi
done <"$cases"
exit $failed
