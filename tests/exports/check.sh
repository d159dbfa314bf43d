#!/usr/bin/env bash
# Compares the dynamic symbols a shared library defines with the list of its
# exported interface kept beside this script (one demangled name a line;
# '#' comments and blank lines are ignored). Fails on a missing export and on
# an unexpected one. With --update, rewrites the list from the library,
# grouped under a comment per class or namespace.
#   check.sh LIBRARY LIST [--update]
set -euo pipefail
lib=$1
list=$2
mode=${3:-}

# AddressSanitizer adds one-definition-rule indicators beside exported data;
# they are instrumentation, not interface.
actual=$(nm -DC --defined-only "$lib" | sed -E 's/^[0-9a-f]+ [A-Za-z] //' | sed '/^__odr_asan/d' |
  LC_ALL=C sort -u)

if [ "$mode" = "--update" ]; then
  printf '%s\n' "$actual" | awk '
    {
      # Group by declaring scope: the class, or the namespace of a free name.
      key = $0
      sub(/^(typeinfo name for |typeinfo for |vtable for |VTT for |guard variable for )/, "", key)
      sub(/\(.*/, "", key)
      if (match(key, /(orrery|gridlot)::/)) key = substr(key, RSTART)
      # The scope that declares the name: its class, or its namespace.
      group = key
      sub(/::[^:]*$/, "", group)
      if (group == key) group = "other"
      print group "\t" $0
    }' | LC_ALL=C sort -t "$(printf '\t')" -k1,1 -s |
    awk -F '\t' '$1 != last { if (NR > 1) print ""; print "# " $1; last = $1 } { print $2 }' > "$list"
  echo "wrote $(printf '%s\n' "$actual" | wc -l) exports to $list"
  exit 0
fi

expected=$(grep -vE '^\s*(#|$)' "$list" | LC_ALL=C sort -u)
missing=$(LC_ALL=C comm -13 <(printf '%s\n' "$actual") <(printf '%s\n' "$expected"))
unexpected=$(LC_ALL=C comm -23 <(printf '%s\n' "$actual") <(printf '%s\n' "$expected"))
status=0
if [ -n "$missing" ]; then
  printf 'missing exports of %s:\n%s\n' "$lib" "$missing"
  status=1
fi
if [ -n "$unexpected" ]; then
  printf 'unexpected exports of %s (internal, or add them to %s):\n%s\n' "$lib" "$list" "$unexpected"
  status=1
fi
[ $status -eq 0 ] && echo "$(printf '%s\n' "$expected" | wc -l) exports of $(basename "$lib") as listed"
exit $status
