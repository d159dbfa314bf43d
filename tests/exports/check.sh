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
# UndefinedBehaviorSanitizer's dynamic-type checks emit the type information
# of every polymorphic class they test, the float box's included; in such a
# build type information is instrumentation too.
if nm -D "$lib" | grep -q ' U __ubsan_handle_dynamic_type_cache_miss'; then
  actual=$(printf '%s\n' "$actual" | grep -vE '^typeinfo (name )?for orrery::BoundingBox<float' || true)
fi

if [ "$mode" = "--update" ]; then
  printf '%s\n' "$actual" | awk '
    # Positions in name, outside template arguments, of the first "(" and,
    # before it, of the last blank (after a return type) and the last "::".
    function scan(name,    i, c, depth) {
      depth = paren = blank = colons = 0
      for (i = 1; i <= length(name) && !paren; i++) {
        c = substr(name, i, 1)
        if (c == "<") depth++
        else if (c == ">") depth--
        else if (depth > 0) continue
        else if (c == "(") paren = i
        else if (c == " " && substr(name, i - 8, 8) != "operator") blank = i
        else if (substr(name, i, 2) == "::") colons = i
      }
    }
    {
      # Group by declaring scope: the class of a member or of its vtable and
      # type information, or the namespace of a free name.
      key = $0
      special = sub(/^(typeinfo name for |typeinfo for |vtable for |VTT for )/, "", key)
      scan(key)
      if (special) group = key
      else if (colons > blank) group = substr(key, blank + 1, colons - blank - 1)
      else group = "other"
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
