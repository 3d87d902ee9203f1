#!/bin/bash
# The bash completion of brenvik-cli and brenvik-sim, run in bash: a table of
# command lines and what completing their last word offers.
# Usage: completion-test.sh COMPLETION_FOLDER BRENVIK_SIM
set -u
folder=$1 sim=$2
source "$folder/brenvik-cli" && source "$folder/brenvik-sim" || exit 1

work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
touch "$work/scan.csv" "$work/score.txt"

# The offers for a command line, its words as arguments (the last one is
# being completed), sorted on one line.
offers()
{
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE="$*"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    local function
    function=$(complete -p "$1" | sed -n 's/.*-F \([^ ]*\) .*/\1/p')
    "$function" "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
    printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | xargs
}

failures=0
# The offers wanted, in any order, then the command line.
expect()
{
    local wanted
    wanted=$(printf '%s\n' $1 | LC_ALL=C sort | xargs)
    shift
    local got
    got=$(offers "$@")
    if [[ $got != "$wanted" ]]; then
        echo "FAIL: $* -> \"$got\", wanted \"$wanted\""
        failures=$((failures + 1))
    fi
}

bus="--baud --flow --help --json --port --timeout --version"
expect "--help --version get help monitor ports scan set" brenvik-cli ""
expect "get" brenvik-cli ge
expect "scan set" brenvik-cli s
expect "$bus" brenvik-cli get --
expect "--channel --key --name --no-verify --verify $bus" brenvik-cli set --port COM3 ""
expect "--csv --interval --seconds $bus" brenvik-cli scan -p 5 --
expect "--wait" brenvik-cli monitor --w
expect "--force --forget --help --json --probe --use --version" brenvik-cli ports --
expect "get monitor ports scan set" brenvik-cli help ""
expect "COM2 COM20" brenvik-cli get --port COM2
expect "COM2 COM20" brenvik-cli get -p COM2
expect "COM2 COM20" brenvik-cli scan --port = COM2
expect "COM1 COM10 COM11 COM12 COM13 COM14 COM15 COM16 COM17 COM18 COM19" brenvik-cli ports --forget COM1
expect "COM7" brenvik-cli ports --use COM7
expect "/dev/null" brenvik-cli get --port /dev/nul
expect "none rtscts" brenvik-cli set --flow ""
expect "20 21 22 23 24 25 26" brenvik-cli set --channel 2
expect "" brenvik-cli set --name ""
expect "$work/scan.csv $work/score.txt" brenvik-cli scan --csv "$work/sc"
expect "-" brenvik-cli scan --csv -
expect "$(offers brenvik-cli get --)" brenvik-cli --port COM3 get --
expect "--corrupt-echoes --corrupt-replies" brenvik-sim --corrupt
expect "rtscts" brenvik-sim --flow r
expect "11 12 13 14 15 16 17 18 19" brenvik-sim --channel 1
expect "/dev/null" brenvik-sim --link /dev/nul
expect "" brenvik-sim --seed ""

# brenvik-sim offers exactly the options its help names.
expect "$("$sim" --help | grep -o -- '--[a-z][a-z-]*' | LC_ALL=C sort -u | xargs)" brenvik-sim --

[[ $failures == 0 ]] && echo "all completions as expected"
exit $((failures > 0))
