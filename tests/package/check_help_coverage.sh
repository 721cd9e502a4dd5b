#!/usr/bin/env bash
# Keeps the man pages and the bash completions in step with what the programs' --help says: every
# subcommand and every long option that --help names (velkctl's top level and, where it answers,
# "velkctl SUB --help") must have its own entry in the man page, and the program's completion must
# offer it.
#   check_help_coverage.sh BINDIR MANDIR COMPLETIONDIR
# BINDIR holds the programs (velk is checked when it is there), MANDIR the built pages NAME.1.gz,
# COMPLETIONDIR one completion file per program, named as the program.
set -uo pipefail
bindir=$1 mandir=$2 completions=$3
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

long_options() {
    grep -oE -- '--[A-Za-z][A-Za-z0-9-]*' | sort -u
}

# The roff of a page; scdoc writes a term "*--panel* _IP_" as "\fB--panel\fR \fIIP\fR" on a line
# of its own, "*-h*, *--help*" as "\fB-h\fR, \fB--help\fR".
man_text() {
    gzip -dc "$mandir/$1.1.gz"
}

# Pipes into grep -q are avoided throughout: grep stops reading at the first match, and the
# writer's broken pipe would fail the pipeline now and then.
has_option_entry() {
    local page=$1 option=$2
    grep -qE -- "^(\\\\fB-[A-Za-z0-9]\\\\fR, )?\\\\fB${option}\\\\fR( |,|$)" <<<"$(man_text "$page")"
}

has_command_entry() {
    local page=$1 command=$2
    grep -qE -- "^\\\\fB${command}\\\\fR( |$)" <<<"$(man_text "$page")"
}

# help text of a program; no display is needed for --help.
help_of() {
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" --help 2>/dev/null
}

check_plain_program() {
    local program=$1 help
    if ! help=$(help_of "$bindir/$program"); then
        fail "$program --help does not succeed"
        return
    fi
    [ -f "$mandir/$program.1.gz" ] || { fail "no man page $program.1.gz"; return; }
    local options
    options=$(long_options <<<"$help")
    [ -n "$options" ] || fail "$program --help names no option"
    for option in $options; do
        has_option_entry "$program" "$option" || fail "$program(1) has no entry for $option"
        offers "$option" "$program" "$program" -- || fail "the completion does not offer '$program $option'"
    done
}

# Runs PROGRAM's completion for the words given (the last one is being completed) and prints the
# offers.
complete_words() {
    local program=$1
    shift
    bash -c '
        program=$2
        source "$1" || exit 1
        function=$(complete -p "$program" | sed -n "s/.*-F \([^ ]*\).*/\1/p")
        [ -n "$function" ] || exit 1
        shift 2
        COMP_WORDS=("$@")
        COMP_CWORD=$(($# - 1))
        COMP_LINE="$*"
        COMP_POINT=${#COMP_LINE}
        "$function" "$program" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        printf "%s\n" "${COMPREPLY[@]}"
    ' _ "$completions/$program" "$program" "$@"
}

# offers WORD PROGRAM WORDS...: whether PROGRAM's completion offers WORD for the words.
offers() {
    local word=$1 offered
    shift
    offered=$(complete_words "$@") || return 1
    grep -qxF -- "$word" <<<"$offered"
}

check_velkctl() {
    local help
    if ! help=$("$bindir/velkctl" --help 2>/dev/null); then
        fail "velkctl --help does not succeed"
        return
    fi
    # Subcommands: usage lines "  velkctl SUB ...", or the entries of a "Subcommands:" section.
    local commands
    commands=$(awk '
        /^[[:space:]]+velkctl[[:space:]]+[a-z]/ { print $2; next }
        /^[[:alpha:] ]*(Subcommands|SUBCOMMANDS|Commands|COMMANDS):/ { listing = 1; next }
        listing && /^[[:space:]]+[a-z][a-z0-9-]*([[:space:]]|$)/ { print $1; next }
        listing && /^[^[:space:]]/ { listing = 0 }
    ' <<<"$help" | sort -u)
    [ -n "$commands" ] || { fail "velkctl --help names no subcommand"; return; }

    # Options outside the subcommands' usage lines belong to velkctl itself.
    local global_options
    global_options=$(grep -vE '^[[:space:]]+velkctl[[:space:]]+[a-z]' <<<"$help" | long_options)
    for option in $global_options; do
        has_option_entry velkctl "$option" || fail "velkctl(1) has no entry for $option"
        offers "$option" velkctl velkctl -- || fail "the completion does not offer 'velkctl $option'"
    done

    for command in $commands; do
        has_command_entry velkctl "$command" || fail "velkctl(1) has no entry for the command $command"
        offers "$command" velkctl velkctl "" || fail "the completion does not offer the command $command"
        local options sub_help
        options=$(grep -E "^[[:space:]]+velkctl[[:space:]]+${command}([[:space:]]|$)" <<<"$help" | long_options)
        if sub_help=$("$bindir/velkctl" "$command" --help 2>/dev/null); then
            options=$(printf '%s\n%s\n' "$options" "$(long_options <<<"$sub_help")" | sort -u)
        fi
        for option in $options; do
            has_option_entry velkctl "$option" || fail "velkctl(1) has no entry for $option ($command)"
            offers "$option" velkctl velkctl "$command" -- ||
                fail "the completion does not offer 'velkctl $command $option'"
        done
    done
}

if [ -x "$bindir/velk" ]; then
    check_plain_program velk
fi
check_plain_program velk-panel-sim
check_velkctl

if [ "$failures" -gt 0 ]; then
    echo "$failures place(s) where the man pages or the completion miss what --help names" >&2
    exit 1
fi
echo "man pages and completion cover every subcommand and option --help names"
