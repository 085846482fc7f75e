# fish completion for brenlow-cli: its commands, the options before and after them, the actions of webgraph, the
# formats, files where a file goes and folders where a folder goes, the web graph's releases after --release and the
# listed domains where a command takes domains.

# The words typed that are neither options nor options' values: the command, webgraph's action, the arguments.
function __brenlow_cli_arguments
    set -l words (commandline -opc)
    set -e words[1]
    set -l ended 0
    set -l value 0
    for word in $words
        if test $value = 1
            set value 0
        else if test $ended = 1
            printf '%s\n' $word
        else
            switch $word
                case --
                    set ended 1
                case -l --list --connect-to --format --since --until --export --import --release \
                    --webgraph-index --webgraph-data
                    set value 1
                case '-?*'
                case '*'
                    printf '%s\n' $word
            end
        end
    end
end

# Whether the option named belongs where the cursor is: before the command, the options every command takes, --version
# and --wait; after it, those every command takes and the command's own. Any other, there, is known but not offered.
function __brenlow_cli_offers -a option
    # The value of an option is completed wherever the option stands.
    set -l previous (commandline -opc)[-1]
    if test "$previous" = --$option; or string match -q -- "--$option=*" (commandline -ct)
        return 0
    end
    set -l typed (__brenlow_cli_arguments)
    set -l options help list connect-to
    switch "$typed[1]"
        case ''
            set options help version list connect-to wait
        case show
            set -a options format no-header
        case history
            set -a options format no-header since until export import wait
        case update add remove import
            set -a options wait
        case webgraph
            switch "$typed[2]"
                case ''
                    set -a options format no-header release linking-domains webgraph-index webgraph-data wait
                case releases
                    set -a options format no-header webgraph-index webgraph-data
                case '*'
                    set -a options release linking-domains webgraph-index webgraph-data wait
            end
        case help
            set options
    end
    contains -- $option $options
end

# Whether the next argument is the one named: "command", "action" (of webgraph), "file" (of import), or "domain".
function __brenlow_cli_expects -a what
    set -l typed (__brenlow_cli_arguments)
    switch $what
        case command
            test (count $typed) = 0; or test "$typed" = help
        case action
            test "$typed" = webgraph
        case file
            test "$typed" = import
        case domain
            contains -- "$typed[1]" show history update remove; or test "$typed[1] $typed[2]" = "webgraph update"
    end
end

# The first column of what brenlow-cli prints as "ID<tab>...", asked with the list, the index and the address typed on
# the line. It may fetch or wait for a disk, so it gets five seconds; when it fails or takes longer, nothing.
function __brenlow_cli_ask
    set -l words (string replace -r '^~(?=/|$)' -- $HOME (commandline -opc))
    set -l given
    set -l i 2
    while test $i -le (count $words)
        switch $words[$i]
            case --
                break
            case -l --list --connect-to --webgraph-index
                set -a given $words[$i] $words[(math $i + 1)]
                set i (math $i + 1)
            case '--list=*' '--connect-to=*' '--webgraph-index=*'
                set -a given (string split -m 1 = -- $words[$i])
        end
        set i (math $i + 1)
    end
    set -l output (timeout 5 $words[1] $given $argv --format tsv --no-header 2>/dev/null </dev/null)
    or return
    string replace -r '\t.*' '' -- $output
end

# The listed domains not named yet.
function __brenlow_cli_domains
    # An option begun is no domain: the program is not asked.
    string match -q -- '-*' (commandline -ct); and return
    set -l named (__brenlow_cli_arguments)
    for domain in (__brenlow_cli_ask show)
        contains -- $domain $named; or printf '%s\n' $domain
    end
end

complete -c brenlow-cli -f

complete -c brenlow-cli -n "__brenlow_cli_expects command" -a show -d "Print the list with its counts and totals"
complete -c brenlow-cli -n "__brenlow_cli_expects command" -a history -d "Print the counts every update run found"
complete -c brenlow-cli -n "__brenlow_cli_expects command" -a update -d "Ask every engine about every domain"
complete -c brenlow-cli -n "__brenlow_cli_expects command" -a webgraph -d "List the web graph's releases, or read one"
complete -c brenlow-cli -n "__brenlow_cli_expects command" -a add -d "Add domains to the list"
complete -c brenlow-cli -n "__brenlow_cli_expects command" -a remove -d "Remove domains from the list"
complete -c brenlow-cli -n "__brenlow_cli_expects command" -a import -d "Add the domain of every line of a file"
complete -c brenlow-cli -n "__brenlow_cli_expects command" -a where -d "Print the path of the list in use"
complete -c brenlow-cli -n "__brenlow_cli_expects command" -a help -d "Print the help, or a command's usage"
complete -c brenlow-cli -n "__brenlow_cli_expects action" -a releases -d "List the releases of the web graph"
complete -c brenlow-cli -n "__brenlow_cli_expects action" -a update -d "Read a release for the list's domains"
complete -c brenlow-cli -n "__brenlow_cli_expects file" -F
complete -c brenlow-cli -n "__brenlow_cli_expects domain" -a "(__brenlow_cli_domains)" -d "Listed domain"

complete -c brenlow-cli -n "__brenlow_cli_offers help" -s h -l help -d "Print the help, or after a command its usage"
complete -c brenlow-cli -n "__brenlow_cli_offers version" -l version -d "Print the version"
complete -c brenlow-cli -n "__brenlow_cli_offers list" -s l -l list -r -F -d "Use another domain list"
complete -c brenlow-cli -n "__brenlow_cli_offers connect-to" -l connect-to -x -d "Send every request to ADDRESS:PORT"
complete -c brenlow-cli -n "__brenlow_cli_offers wait" -l wait -d "Wait for a list another Brenlow holds"
complete -c brenlow-cli -n "__brenlow_cli_offers format" -l format -x -a "table tsv csv json" -d "Output format"
complete -c brenlow-cli -n "__brenlow_cli_offers no-header" -l no-header -d "No header line"
complete -c brenlow-cli -n "__brenlow_cli_offers since" -l since -x -d "Only the runs that started at DATE or later"
complete -c brenlow-cli -n "__brenlow_cli_offers until" -l until -x -d "Only the runs that started at DATE or earlier"
complete -c brenlow-cli -n "__brenlow_cli_offers export" -l export -r -F -d "Write the whole history to FILE"
complete -c brenlow-cli -n "__brenlow_cli_offers import" -l import -r -F -d "Add the runs of FILE to the history"
complete -c brenlow-cli -n "__brenlow_cli_offers release" -l release -x -a "(__brenlow_cli_ask webgraph releases)" -d "Read the release ID instead of the newest"
complete -c brenlow-cli -n "__brenlow_cli_offers linking-domains" -l linking-domains -d "Count the domains linking to each domain too"
complete -c brenlow-cli -n "__brenlow_cli_offers webgraph-index" -l webgraph-index -r -F -d "Read the list of releases from URL"
complete -c brenlow-cli -n "__brenlow_cli_offers webgraph-data" -l webgraph-data -x -a "(__fish_complete_directories)" -d "Find the release files under URL or a folder"
