#!/bin/sh
# Writes dovrin-cli's manual page: the template with its COMMANDS section made from the
# "Commands:" block of `dovrin-cli --help`, so the page lists every command the tool has.
# Usage: make-cli-page.sh DOVRIN_CLI TEMPLATE OUTPUT
set -eu
cli=$1
template=$2
output=$3

COMMANDS=$("$cli" --help | awk '
    function roff(s) {
        gsub(/\\/, "\\e", s)
        gsub(/-/, "\\-", s)
        if (s ~ /^[.\047]/)
            s = "\\&" s
        return s
    }
    /^Commands:$/ { listing = 1; next }
    listing && /^$/ { exit }
    listing && /^      / { sub(/^ +/, ""); print roff($0); next }
    listing && /^  / { sub(/^ +/, ""); print ".TP"; print "\\fB" roff($0) "\\fR" }')
[ -n "$COMMANDS" ] || { echo "$0: no commands in $cli --help" >&2; exit 1; }
export COMMANDS
awk '/^\.\\" The commands of/ { print ENVIRON["COMMANDS"]; next } { print }' "$template" > "$output.tmp"
mv "$output.tmp" "$output"
