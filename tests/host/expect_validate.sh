#!/bin/sh
# expect_validate.sh HOST EXIT PATTERN [--also PATTERN]... PLUGIN [OPTIONS...]: runs
# `HOST validate PLUGIN OPTIONS...` and checks its exit code and that, for each PATTERN (an
# extended regular expression), a line of its report matches it.
host=$1 expected=$2
patterns=$3
shift 3
while [ "$1" = --also ]; do
    patterns="$patterns
$2"
    shift 2
done
report=$("$host" validate "$@")
code=$?
printf '%s\n' "$report"
if [ "$code" -ne "$expected" ]; then
    echo "expected exit code $expected, got $code" >&2
    exit 1
fi
status=0
while IFS= read -r pattern; do
    if ! printf '%s\n' "$report" | grep -Eq -- "$pattern"; then
        echo "no line of the report matches: $pattern" >&2
        status=1
    fi
done <<EOP
$patterns
EOP
exit $status
