#!/bin/sh
# Writes velmorande-host's manual page from what the host itself prints for --help and
# validate --help, so the page says what the program does.
# Usage: manual_page.sh HOST VERSION OUTPUT
set -eu
host=$1 version=$2 output=$3
here=$(dirname "$0")
help=$("$host" --help)
validate_help=$("$host" validate --help)
{
    echo '.TH VELMORANDE-HOST 1 "" "velmorande-host '"$version"'" "User Commands"'
    echo '.SH NAME'
    echo 'velmorande-host \- render audio through VST 2.x plug-ins and check them'
    printf '%s\n' "$help" | awk -v synopsis=1 -f "$here/help_to_man.awk"
    echo '.SH VALIDATE'
    printf '%s\n' "$validate_help" | awk -f "$here/help_to_man.awk"
} >"$output.tmp"
mv "$output.tmp" "$output"
