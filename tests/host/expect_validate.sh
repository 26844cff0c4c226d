#!/bin/sh
# expect_validate.sh HOST EXIT PATTERN PLUGIN [OPTIONS...]: runs `HOST validate PLUGIN
# OPTIONS...` and checks its exit code and that a line of its report matches PATTERN
# (an extended regular expression).
host=$1 expected=$2 pattern=$3
shift 3
report=$("$host" validate "$@")
code=$?
printf '%s\n' "$report"
if [ "$code" -ne "$expected" ]; then
    echo "expected exit code $expected, got $code" >&2
    exit 1
fi
if ! printf '%s\n' "$report" | grep -Eq -- "$pattern"; then
    echo "no line of the report matches: $pattern" >&2
    exit 1
fi
