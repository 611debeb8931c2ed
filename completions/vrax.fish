# fish completion for vrax: commands, options, --role values, and the live values of this
# machine, asked from vrax itself: URL schemes for --URL, content types for --UTI,
# application IDs for --app.

# Runs the vrax being completed (as typed) with one listing command.
function __vrax_list
    set -l tokens (commandline -opc)
    command $tokens[1] $argv[1] 2>/dev/null
end

function __vrax_command
    set -l tokens (commandline -opc)
    set -q tokens[2]; and contains -- $tokens[2] $argv
end

function __vrax_after
    set -l tokens (commandline -opc)
    set -q tokens[2]; and contains -- $tokens[-1] $argv
end

# Desktop file IDs without .desktop, from the entry paths getApps prints: the path below
# applications/, with / written as -.
function __vrax_app_ids
    __vrax_list getApps | string match -r '/applications/.*\.desktop$' |
        string replace -r '.*?/applications/' '' | string replace -a / - |
        string replace -r '\.desktop$' ''
    echo None
end

complete -c vrax -f

set -l commands getHandler setHandler getApps getSchemes getUTIs help version
complete -c vrax -n "not __fish_seen_subcommand_from $commands" -a getHandler -d 'Print the default application of a scheme or type'
complete -c vrax -n "not __fish_seen_subcommand_from $commands" -a setHandler -d 'Change the default application of a scheme or type'
complete -c vrax -n "not __fish_seen_subcommand_from $commands" -a getApps -d 'List every installed application'
complete -c vrax -n "not __fish_seen_subcommand_from $commands" -a getSchemes -d 'List every URL scheme with its default handler'
complete -c vrax -n "not __fish_seen_subcommand_from $commands" -a getUTIs -d 'List every content type with its default handler'
complete -c vrax -n "not __fish_seen_subcommand_from $commands" -a help -d 'List the commands'
complete -c vrax -n "not __fish_seen_subcommand_from $commands" -a version -d 'Print the version'

# Values of the options that take one.
complete -c vrax -n '__vrax_after --URL' -a '(__vrax_list getSchemes | string replace -r "\t.*" "")' -d 'URL scheme'
complete -c vrax -n '__vrax_after --UTI' -a '(__vrax_list getUTIs | string replace -r "\t.*" "")' -d 'content type'
complete -c vrax -n '__vrax_after --app --application' -a '(__vrax_app_ids)' -d application
complete -c vrax -n '__vrax_after --role' -a 'Viewer Editor Shell All' -d role

set -l handler '__vrax_command getHandler setHandler; and not __vrax_after --URL --UTI --app --application --role'
complete -c vrax -n $handler -l URL -d 'A URL scheme'
complete -c vrax -n $handler -l UTI -d 'A content type'
complete -c vrax -n $handler -l internet -d 'The web browser (http)'
complete -c vrax -n $handler -l browser -d 'The web browser (http)'
complete -c vrax -n $handler -l web -d 'The web browser (http)'
complete -c vrax -n $handler -l mail -d 'The e-mail client (mailto)'
complete -c vrax -n $handler -l email -d 'The e-mail client (mailto)'
complete -c vrax -n $handler -l e-mail -d 'The e-mail client (mailto)'
complete -c vrax -n $handler -l ftp -d 'The FTP client'
complete -c vrax -n $handler -l rss -d 'The RSS client'
complete -c vrax -n $handler -l news -d 'The news client'
complete -c vrax -n $handler -l role -d 'The role: Viewer, Editor, Shell or All'
complete -c vrax -n "__vrax_command getHandler; and not __vrax_after --URL --UTI --role" -l all -d 'Every registered application'
complete -c vrax -n "__vrax_command setHandler; and not __vrax_after --URL --UTI --app --application --role" -l app -d 'The new default application'
complete -c vrax -n "__vrax_command setHandler; and not __vrax_after --URL --UTI --app --application --role" -l application -d 'The new default application'
complete -c vrax -n "__vrax_command getHandler setHandler getApps getSchemes getUTIs" -s h -l help -d 'Show the options of the command'
