#include "completions.h"

namespace docgen {
namespace {

std::string form_of(const OptionModel& option) {
    std::string form = "--" + option.name;
    if (!option.takes_value) return form;
    form += '=';
    if (option.path) return form + '@';
    for (std::size_t i = 0; i < option.choices.size(); ++i) form += (i ? "|" : "") + option.choices[i];
    return form;
}

std::string forms_of(const CommandModel& command) {
    std::string forms;
    for (const OptionModel& option : command.options) forms += (forms.empty() ? "" : " ") + form_of(option);
    return forms;
}

std::string words_line() {
    std::string line;
    for (const std::string& word : first_words()) line += (line.empty() ? "" : " ") + word;
    return line;
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

}  // namespace

std::string bash_completion(const std::vector<CommandModel>& commands) {
    std::string out = "# bash completion for tarvolt-ctl" + std::string(generated);
    out += "_tarvolt_ctl_first='" + words_line() + "'\n";
    out += "_tarvolt_ctl_forms() {\n    case $1 in\n";
    for (const CommandModel& command : commands) {
        out += "    " + command.name + ") echo '" + forms_of(command) + "' ;;\n";
    }
    return out + "    esac\n}\n" + std::string(bash_body);
}

std::string zsh_completion(const std::vector<CommandModel>& commands) {
    std::string out = "#compdef tarvolt-ctl\n# zsh completion for tarvolt-ctl" + std::string(generated);
    out += "local _tarvolt_ctl_first='" + words_line() + "'\n";
    out += "local -A _tarvolt_ctl_forms=(\n";
    for (const CommandModel& command : commands) out += "    " + command.name + " '" + forms_of(command) + "'\n";
    return out + ")\n" + std::string(zsh_body);
}

std::string fish_completion(const std::vector<CommandModel>& commands) {
    std::string out = "# fish completion for tarvolt-ctl" + std::string(generated);
    out += "set -g __tarvolt_ctl_first '" + words_line() + "'\n";
    out += "function __tarvolt_ctl_forms\n    switch $argv[1]\n";
    for (const CommandModel& command : commands) {
        out += "        case " + command.name + "\n            echo '" + forms_of(command) + "'\n";
    }
    return out + "    end\nend\n" + std::string(fish_body);
}

}  // namespace docgen
