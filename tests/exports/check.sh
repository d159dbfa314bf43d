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

actual=$(nm -DC --defined-only "$lib" | sed -E 's/^[0-9a-f]+ [A-Za-z] //' | LC_ALL=C sort -u)

if [ "$mode" = "--update" ]; then
  printf '%s\n' "$actual" | awk '
    # The part of name before its last "::" outside template arguments.
    function scope(name,    i, c, depth, cut) {
      depth = 0
      cut = 0
      for (i = 1; i <= length(name); i++) {
        c = substr(name, i, 1)
        if (c == "<") depth++
        else if (c == ">") depth--
        else if (depth == 0 && substr(name, i, 2) == "::") cut = i
      }
      return cut ? substr(name, 1, cut - 1) : "other"
    }
    {
      # Group by declaring scope: the class of a member or of its vtable and
      # type information, or the namespace of a free name.
      key = $0
      special = sub(/^(typeinfo name for |typeinfo for |vtable for |VTT for |guard variable for )/, "", key)
      # Cut the parameter list (the first "(" outside template arguments)
      # and the return type a template instance is printed with.
      depth = 0
      start = 1
      for (i = 1; i <= length(key); i++) {
        c = substr(key, i, 1)
        if (c == "<") depth++
        else if (c == ">") depth--
        else if (c == " " && depth == 0 && substr(key, i - 8, 8) != "operator") start = i + 1
        else if (c == "(" && depth == 0) { key = substr(key, 1, i - 1); break }
      }
      key = substr(key, start)
      group = (special && substr($0, 1, 5) != "guard") ? key : scope(key)
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
