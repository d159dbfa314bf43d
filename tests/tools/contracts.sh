#!/usr/bin/env bash
# Runs the rows of one section of contracts.txt through orrery and compares.
#
#   contracts.sh ORRERY SECTION
#
# A row is "STATUS COMMAND => EXPECTED": COMMAND is a shell command run with
# orrery first on PATH; EXPECTED is its standard output (printf %b, so \n
# separates lines), or, after "!", text its standard error must contain.
#
# The section "examples" is not in the file: its rows are read at run time
# from every example of each subcommand's --help and of the README's console
# blocks (a line "$ COMMAND" followed by the lines it prints), each to exit 0,
# or 2 when what it prints answers a bad line with "ERROR: ".
set -u
orrery=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
section=$2
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/bin" && ln -s "$orrery" "$tmp/bin/orrery"
export PATH="$tmp/bin:$PATH" LC_ALL=C.UTF-8 FIXTURES="$here"
failed=0
rows=0

# Example blocks ("$ COMMAND", then its output) on standard input as rows.
example_rows() {
  awk 'function flush() { if (cmd != "") print (bad ? 2 : 0) " " cmd " => " want }
       /^\$ / { flush(); cmd = substr($0, 3); want = ""; n = 0; bad = 0; next }
       cmd != "" { bad = bad || /^ERROR: /; gsub(/\\/, "\\\\"); want = (n++ ? want "\\n" : "") $0 }
       END { flush() }'
}

if [ "$section" = examples ]; then
  subcommands=$(orrery --help | awk '/^Subcommands:/ { on = 1; next } on && !NF { exit } on { print $1 }')
  [ -n "$subcommands" ] || { echo "no subcommands in orrery --help"; exit 1; }
  for sub in $subcommands; do
    orrery "$sub" --help |
      awk '/^Examples:$/ { on = 1; next } on && /^$/ { exit } on { sub(/^  /, ""); print }' |
      example_rows >"$tmp/sub"
    [ -s "$tmp/sub" ] || { echo "FAIL: orrery $sub --help has no example"; failed=1; }
    cat "$tmp/sub" >>"$tmp/rows"
  done
  awk '/^```console$/ { on = 1; next } /^```$/ { on = 0 } on' "$here/../../README.md" |
    example_rows >>"$tmp/rows"
else
  awk -v s="[$section]" '/^\[/ { on = ($0 == s); next } on && /^[0-9]/' \
    "$here/contracts.txt" >"$tmp/rows"
fi

while IFS= read -r row; do
  status=${row%% *}
  rest=${row#* }
  command=${rest%% => *}
  expected=${rest#* => }
  (cd "$tmp" && bash -c "$command") </dev/null >"$tmp/out" 2>"$tmp/err"
  actual=$?
  rows=$((rows + 1))
  bad=
  [ "$actual" -eq "$status" ] || bad="exit status $actual, expected $status"
  if [ "${expected:0:1}" = "!" ]; then
    grep -qF -- "${expected:1}" "$tmp/err" || bad="$bad; standard error lacks '${expected:1}'"
  elif ! printf '%b\n' "$expected" | cmp -s - "$tmp/out"; then
    bad="$bad; standard output differs"
  fi
  if [ -n "$bad" ]; then
    failed=1
    echo "FAIL: $command: $bad"
    echo "--- expected:"; printf '%b\n' "$expected"
    echo "--- standard output:"; head -c 2000 "$tmp/out"
    echo "--- standard error:"; head -c 2000 "$tmp/err"
  fi
done <"$tmp/rows"
echo "$section: $rows rows"
[ "$rows" -gt 0 ] || { echo "no rows in section $section"; exit 1; }
exit $failed
