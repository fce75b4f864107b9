#include "completions.h"

#include "values/join.h"

namespace docgen {
namespace {

std::string form_of(const OptionModel& option) {
    std::string form = "--" + option.name;
    if (!option.takes_value) return form;
    form += '=';
    if (option.path) return form + '@';
    return form + tv::join(option.choices, "|");
}

std::string forms_of(const CommandModel& command) {
    std::string forms;
    tv::Joiner list(forms, " ");
    for (const OptionModel& option : command.options) list.add(form_of(option));
    return forms;
}

constexpr std::string_view generated = ", generated from its command table; do not edit.\n";

constexpr std::string_view bash_body = R"sh(
_tarvolt_ctl() {
    local cur=${COMP_WORDS[COMP_CWORD]} form pending= given=' ' offers= i
    local -a forms
    COMPREPLY=()
    if ((COMP_CWORD == 1)); then
        mapfile -t COMPREPLY < <(compgen -W "$_tarvolt_ctl_first" -- "$cur")
        return
    fi
    read -ra forms <<<"$(_tarvolt_ctl_forms "${COMP_WORDS[1]}")"
    for ((i = 2; i < COMP_CWORD; i++)); do
        if [[ -n $pending ]]; then
            pending=
            continue
        fi
        for form in "${forms[@]}"; do
            [[ ${form%%=*} == "${COMP_WORDS[i]}" ]] || continue
            given+="${form%%=*} "
            [[ $form == *=* ]] && pending=$form
            break
        done
    done
    if [[ -n $pending ]]; then
        local values=${pending#*=}
        case $values in
        '') ;;
        @)
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            ;;
        *) mapfile -t COMPREPLY < <(compgen -W "${values//|/ }" -- "$cur") ;;
        esac
        return
    fi
    for form in "${forms[@]}"; do
        [[ $given == *" ${form%%=*} "* ]] || offers+=" ${form%%=*}"
    done
    mapfile -t COMPREPLY < <(compgen -W "$offers" -- "$cur")
}
complete -F _tarvolt_ctl tarvolt-ctl
)sh";

constexpr std::string_view zsh_body = R"sh(
local -a forms offers
local form pending= given=' '
integer i
if (( CURRENT == 2 )); then
    compadd -- ${=_tarvolt_ctl_first}
    return
fi
forms=(${=_tarvolt_ctl_forms[$words[2]]})
for (( i = 3; i < CURRENT; i++ )); do
    if [[ -n $pending ]]; then
        pending=
        continue
    fi
    for form in $forms; do
        [[ ${form%%=*} == "$words[i]" ]] || continue
        given+="${form%%=*} "
        [[ $form == *=* ]] && pending=$form
        break
    done
done
if [[ -n $pending ]]; then
    case ${pending#*=} in
    '') return 1 ;;
    @) _files ;;
    *) compadd -- ${(s:|:)${pending#*=}} ;;
    esac
    return
fi
for form in $forms; do
    [[ $given == *" ${form%%=*} "* ]] || offers+=(${form%%=*})
done
compadd -- $offers
)sh";

constexpr std::string_view fish_body = R"sh(
function __tarvolt_ctl_offers
    set -l words (commandline -opc)
    if test (count $words) -lt 2
        string split ' ' -- $__tarvolt_ctl_first
        return
    end
    set -l forms (string split --no-empty ' ' -- (__tarvolt_ctl_forms $words[2]))
    set -l given
    set -l pending
    for word in $words[3..-1]
        if test -n "$pending"
            set pending
            continue
        end
        for form in $forms
            set -l name (string split -m1 = -- $form)[1]
            test "$name" = "$word"; or continue
            set -a given $name
            string match -q -- '*=*' $form; and set pending $form
            break
        end
    end
    if test -n "$pending"
        set -l values (string split -m1 = -- $pending)[2]
        switch "$values"
            case ''
            case @
                __fish_complete_path (commandline -ct)
            case '*'
                string split '|' -- $values
        end
        return
    end
    for form in $forms
        set -l name (string split -m1 = -- $form)[1]
        contains -- $name $given; or echo $name
    end
end
complete -c tarvolt-ctl -f -a '(__tarvolt_ctl_offers)'
)sh";

// How one shell spells the same script: a header, the first words, then a
// lookup from command name to its option forms.
struct ShellSyntax {
    std::string_view header;
    std::string_view first_words;  // up to the opening quote
    std::string_view open;
    std::string_view before_name, before_forms, after_forms;  // one entry
    std::string_view close;
    std::string_view body;
};

std::string completion(const ShellSyntax& shell, const std::vector<CommandModel>& commands) {
    std::string out(shell.header);
    out += generated;
    out += shell.first_words;
    out += tv::join(first_words(), " ") + "'\n";
    out += shell.open;
    for (const CommandModel& command : commands) {
        out += shell.before_name;
        out += command.name;
        out += shell.before_forms;
        out += forms_of(command);
        out += shell.after_forms;
    }
    out += shell.close;
    out += shell.body;
    return out;
}

}  // namespace

std::string bash_completion(const std::vector<CommandModel>& commands) {
    return completion(
        {"# bash completion for tarvolt-ctl", "_tarvolt_ctl_first='", "_tarvolt_ctl_forms() {\n    case $1 in\n",
         "    ", ") echo '", "' ;;\n", "    esac\n}\n", bash_body},
        commands);
}

std::string zsh_completion(const std::vector<CommandModel>& commands) {
    return completion({"#compdef tarvolt-ctl\n# zsh completion for tarvolt-ctl", "local _tarvolt_ctl_first='",
                       "local -A _tarvolt_ctl_forms=(\n", "    ", " '", "'\n", ")\n", zsh_body},
                      commands);
}

std::string fish_completion(const std::vector<CommandModel>& commands) {
    return completion({"# fish completion for tarvolt-ctl", "set -g __tarvolt_ctl_first '",
                       "function __tarvolt_ctl_forms\n    switch $argv[1]\n", "        case ", "\n            echo '",
                       "'\n", "    end\nend\n", fish_body},
                      commands);
}

}  // namespace docgen
