# bash completion for vrax                                 -*- shell-script -*-
# Commands, options, --role values, and the live values of this machine, asked from
# vrax itself: URL schemes for --URL, content types for --UTI, application IDs for --app.

# Runs the vrax that is being completed (as typed: a path works too) with one listing
# command; prints nothing when it fails.
_vrax_list()
{
    local program=${COMP_WORDS[0]}
    [[ $program == \~/* ]] && program=$HOME/${program#\~/}
    "$program" "$1" 2>/dev/null
}

# First column of getSchemes or getUTIs: the scheme or the type.
_vrax_first_column()
{
    local line
    _vrax_list "$1" | while IFS= read -r line; do
        [[ -n $line ]] && printf '%s\n' "${line%%$'\t'*}"
    done
}

# Desktop file IDs (without .desktop) of the installed applications, from the entry
# paths getApps prints: the path below applications/, with / written as -.
_vrax_app_ids()
{
    local path id
    _vrax_list getApps | while IFS= read -r path; do
        [[ $path == */applications/*.desktop ]] || continue
        id=${path##*/applications/}
        id=${id//\//-}
        printf '%s\n' "${id%.desktop}"
    done
    printf '%s\n' None
}

_vrax()
{
    local cur prev words cword
    _init_completion || return

    local commands="getHandler setHandler getApps getSchemes getUTIs help version"
    if ((cword == 1)); then
        COMPREPLY=($(compgen -W "$commands -h -v" -- "$cur"))
        return
    fi

    local IFS=$'\n'
    case $prev in
        --URL)
            COMPREPLY=($(compgen -W "$(_vrax_first_column getSchemes)" -- "$cur"))
            return
            ;;
        --UTI)
            COMPREPLY=($(compgen -W "$(_vrax_first_column getUTIs)" -- "$cur"))
            __ltrim_colon_completions "$cur"
            return
            ;;
        --app | --application)
            COMPREPLY=($(compgen -W "$(_vrax_app_ids)" -- "$cur"))
            return
            ;;
        --role)
            COMPREPLY=($(compgen -W $'Viewer\nEditor\nShell\nAll' -- "$cur"))
            return
            ;;
    esac
    unset IFS

    local targets="--URL --UTI --internet --browser --web --mail --email --e-mail
        --ftp --rss --news"
    local options
    case ${words[1]} in
        getHandler) options="$targets --all --role -h --help" ;;
        setHandler) options="$targets --app --application --role -h --help" ;;
        getApps | getSchemes | getUTIs) options="-h --help" ;;
        *) return ;;
    esac
    COMPREPLY=($(compgen -W "$options" -- "$cur"))
} &&
    complete -F _vrax vrax

# ex: filetype=sh
