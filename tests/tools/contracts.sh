#!/usr/bin/env bash
# Runs the rows of one section of contracts.txt through orrery and compares.
#
#   contracts.sh ORRERY SECTION
#
# A row is "STATUS COMMAND => EXPECTED": COMMAND is a shell command run with
# orrery first on PATH; EXPECTED is its standard output (printf %b, so \n
# separates lines), or, after "!", text its standard error must contain.
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
while IFS= read -r row; do
  status=${row%% *}
  rest=${row#* }
  command=${rest%% => *}
  expected=${rest#* => }
  (cd "$tmp" && bash -c "$command") >"$tmp/out" 2>"$tmp/err"
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
done < <(awk -v s="[$section]" '/^\[/ { on = ($0 == s); next } on && /^[0-9]/' "$here/contracts.txt")
echo "$section: $rows rows"
[ "$rows" -gt 0 ] || { echo "no rows in section $section"; exit 1; }
exit $failed
