#!/usr/bin/env bash
# Runs orrery once and checks what it did.
#
#   check.sh ORRERY [checks...] -- ARGS...
#
# checks:
#   --stdin FILE         feed FILE on standard input (default: nothing)
#   --stdout FILE        standard output must equal FILE
#   --stdout-text TEXT   standard output must be TEXT and a newline
#   --stdout-empty       nothing on standard output
#   --stdout-has TEXT    standard output must contain TEXT
#   --stderr-has TEXT    standard error must contain TEXT
#   --stderr-lines N     standard error must have exactly N lines
#   --status N           exit status (default 0)
#   --file-has FILE TEXT FILE must exist and contain TEXT (removed first)
set -u
orrery=$1
shift
stdin=/dev/null
status=0
checks=()
files=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  case $1 in
  --stdin) stdin=$2; shift 2 ;;
  --status) status=$2; shift 2 ;;
  --file-has) files+=("$2" "$3"); rm -f "$2"; shift 3 ;;
  --stdout-empty) checks+=("$1" ""); shift ;;
  *) checks+=("$1" "$2"); shift 2 ;;
  esac
done
shift
args=("$@")

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$orrery" "$@" <"$stdin" >"$tmp/out" 2>"$tmp/err"
actual=$?

failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}
[ "$actual" -eq "$status" ] || fail "exit status $actual, expected $status"
set -- "${checks[@]+"${checks[@]}"}"
while [ $# -gt 0 ]; do
  case $1 in
  --stdout)
    diff -u "$2" "$tmp/out" || fail "standard output differs from $2" ;;
  --stdout-text)
    printf '%s\n' "$2" | diff -u - "$tmp/out" || fail "standard output differs" ;;
  --stdout-empty)
    [ ! -s "$tmp/out" ] || fail "standard output is not empty" ;;
  --stdout-has)
    grep -qF -- "$2" "$tmp/out" || fail "standard output lacks '$2'" ;;
  --stderr-has)
    grep -qF -- "$2" "$tmp/err" || fail "standard error lacks '$2'" ;;
  --stderr-lines)
    n=$(wc -l <"$tmp/err")
    [ "$n" -eq "$2" ] || fail "standard error has $n lines, expected $2" ;;
  *) echo "check.sh: unknown check $1"; exit 2 ;;
  esac
  shift 2
done
set -- "${files[@]+"${files[@]}"}"
while [ $# -gt 0 ]; do
  grep -qF -- "$2" "$1" 2>/dev/null || fail "$1 missing or lacks '$2'"
  rm -f "$1"
  shift 2
done
if [ $failed -ne 0 ]; then
  echo "--- orrery ${args[*]} (status $actual)"
  echo "--- standard output:"; head -c 2000 "$tmp/out"
  echo "--- standard error:"; head -c 2000 "$tmp/err"
  exit 1
fi
