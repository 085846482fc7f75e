# fish completion for brenlow-cli: its commands, their options, the actions of webgraph, the formats of show, history
# and webgraph releases, files where a file goes and folders where a folder goes.

set -l commands show history update webgraph add remove import where help
complete -c brenlow-cli -f

complete -c brenlow-cli -n "not __fish_seen_subcommand_from $commands" -a show -d "Print the list with its counts and totals"
complete -c brenlow-cli -n "not __fish_seen_subcommand_from $commands" -a history -d "Print the counts every update run found"
complete -c brenlow-cli -n "not __fish_seen_subcommand_from $commands" -a update -d "Ask every engine about every domain"
complete -c brenlow-cli -n "not __fish_seen_subcommand_from $commands" -a webgraph -d "List the web graph's releases, or read one"
complete -c brenlow-cli -n "not __fish_seen_subcommand_from $commands" -a add -d "Add domains to the list"
complete -c brenlow-cli -n "not __fish_seen_subcommand_from $commands" -a remove -d "Remove domains from the list"
complete -c brenlow-cli -n "not __fish_seen_subcommand_from $commands" -a import -d "Add the domain of every line of a file"
complete -c brenlow-cli -n "not __fish_seen_subcommand_from $commands" -a where -d "Print the path of the list in use"
complete -c brenlow-cli -n "not __fish_seen_subcommand_from $commands" -a help -d "Print the help, or a command's usage"

complete -c brenlow-cli -s h -l help -d "Print the help, or after a command its usage"
complete -c brenlow-cli -l version -d "Print the version"
complete -c brenlow-cli -s l -l list -r -F -d "Use another domain list"
complete -c brenlow-cli -l connect-to -x -d "Send every request to ADDRESS:PORT"
complete -c brenlow-cli -n "__fish_seen_subcommand_from update add remove import history" -l wait -d "Wait for a list another Brenlow holds"
complete -c brenlow-cli -n "__fish_seen_subcommand_from show history releases" -l format -x -a "table tsv csv json" -d "Output format"
complete -c brenlow-cli -n "__fish_seen_subcommand_from show history releases" -l no-header -d "No header line"
complete -c brenlow-cli -n "__fish_seen_subcommand_from history" -l since -x -d "Only the runs that started at DATE or later"
complete -c brenlow-cli -n "__fish_seen_subcommand_from history" -l until -x -d "Only the runs that started at DATE or earlier"
complete -c brenlow-cli -n "__fish_seen_subcommand_from history" -l export -r -F -d "Write the whole history to FILE"
complete -c brenlow-cli -n "__fish_seen_subcommand_from history" -l import -r -F -d "Add the runs of FILE to the history"
complete -c brenlow-cli -n "__fish_seen_subcommand_from webgraph; and not __fish_seen_subcommand_from releases update" -a releases -d "List the releases of the web graph"
complete -c brenlow-cli -n "__fish_seen_subcommand_from webgraph; and not __fish_seen_subcommand_from releases update" -a update -d "Read a release for the list's domains"
complete -c brenlow-cli -n "__fish_seen_subcommand_from webgraph; and not __fish_seen_subcommand_from releases" -l release -x -d "Read the release ID instead of the newest"
complete -c brenlow-cli -n "__fish_seen_subcommand_from webgraph; and not __fish_seen_subcommand_from releases" -l linking-domains -d "Count the domains linking to each domain too"
complete -c brenlow-cli -n "__fish_seen_subcommand_from webgraph" -l webgraph-index -r -F -d "Read the list of releases from URL"
complete -c brenlow-cli -n "__fish_seen_subcommand_from webgraph" -l webgraph-data -x -a "(__fish_complete_directories)" -d "Find the release files under URL or a folder"
complete -c brenlow-cli -n "__fish_seen_subcommand_from import" -F
complete -c brenlow-cli -n "__fish_seen_subcommand_from help" -a "$commands"
