#!/usr/bin/env bash
# Runs every example of the orrery command, those of each subcommand's --help
# and those of the README's console blocks, and compares what each prints
# with the text beneath it. An example is a line "$ COMMAND" followed by the
# lines of its standard output.
#
#   examples.sh ORRERY README
set -u
orrery=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
readme=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/bin" "$tmp/run" && ln -s "$orrery" "$tmp/bin/orrery"
export PATH="$tmp/bin:$PATH" LC_ALL=C.UTF-8
failed=0
count=0

# check SOURCE < examples
check() {
  local command= line
  : >"$tmp/want"
  while IFS= read -r line || [ -n "$command" ]; do
    if [ "${line:0:2}" = "\$ " ] || [ "$line" = "__END__" ]; then
      if [ -n "$command" ]; then
        count=$((count + 1))
        (cd "$tmp/run" && bash -c "$command") >"$tmp/got" 2>"$tmp/err"
        if ! cmp -s "$tmp/want" "$tmp/got"; then
          failed=1
          echo "FAIL ($1): $command"
          diff -u "$tmp/want" "$tmp/got"
          head -c 1000 "$tmp/err"
        fi
      fi
      command=${line:2}
      : >"$tmp/want"
      [ "$line" = "__END__" ] && break
    else
      printf '%s\n' "$line" >>"$tmp/want"
    fi
  done
}

subcommands=$("$orrery" --help | awk '/^Subcommands:/ { on = 1; next } on && !NF { exit } on { print $1 }')
[ -n "$subcommands" ] || { echo "no subcommands in orrery --help"; exit 1; }
for sub in $subcommands; do
  n=$count
  check "orrery $sub --help" < <(
    "$orrery" "$sub" --help |
      awk '/^Examples:$/ { on = 1; next } on && /^$/ { exit } on { sub(/^  /, ""); print }'
    echo "__END__"
  )
  [ "$count" -gt "$n" ] || { echo "FAIL: orrery $sub --help has no example"; failed=1; }
done
check README < <(
  awk '/^```console$/ { on = 1; next } /^```$/ { on = 0 } on' "$readme"
  echo "__END__"
)
echo "$count examples run"
exit $failed
