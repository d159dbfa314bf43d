#!/usr/bin/env bash
# Feeds every streaming subcommand, with and without --json, a seeded mix of
# good lines, bad lines, random junk (raw bytes and NUL included), blank and
# comment lines and trailing comments, and checks that the output has
# exactly one line per input line (so that nothing crashed),
# that every good line is answered as in a clean run of the good lines alone,
# that the known bad lines get the error placeholder, and that blank and
# comment lines are echoed (empty with --json).
#
#   alignment.sh ORRERY
set -u
orrery=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failed=0

# good lines, one record a line, for each subcommand
awk 'BEGIN {
  srand(13)
  for (i = 0; i < 600; ++i) {
    lat = -80 + rand() * 164; lon = -540 + rand() * 1080
    printf "%.6f %.6f\n", lat, lon > "'"$tmp"'/utm"
    printf "%.6f,%.6f,%.1f\n", lat * 90 / 84, lon, rand() * 9000 > "'"$tmp"'/convert"
    printf "%.9f\n", -180 + rand() * 360 > "'"$tmp"'/dms"
    printf "%.12f\n", -3 + rand() * 6 > "'"$tmp"'/hms"
    printf "%04d-%02d-%02dT%02d:%02d:%02dZ %.4f %.4f\n", 1950 + int(rand() * 100),
      1 + int(rand() * 12), 1 + int(rand() * 28), int(rand() * 24), int(rand() * 60),
      int(rand() * 60), lat * 90 / 84, lon > "'"$tmp"'/zenith"
  }
}'
"$orrery" utm <"$tmp/utm" >"$tmp/utm-i"
cp "$tmp/utm" "$tmp/mgrs"
"$orrery" mgrs <"$tmp/mgrs" >"$tmp/mgrs-i"

for run in "utm" "utm-i" "mgrs" "mgrs-i" "convert" "dms" "hms" "zenith"; do
  for json in "" "--json"; do
    args=(${run/-i/ --inverse} $json)
    good=$tmp/$run
    # The mix, and beside it what each line must give: g<N> the answer to
    # good line N, e the placeholder, = the line itself, ? anything.
    awk -v seed="${#run}${#json}" -v gf="$good" -v mix="$tmp/mix" -v key="$tmp/key" 'BEGIN {
      srand(seed)
      split("abc|1e999 1|nan|,,|x y z w v u|95 0 0 0 0|-", bad, "|")
      junk = "0123456789 -.,eENSdT:#\t\000\001\033\177\200\303\377"
      n = 0
      while ((getline line < gf) > 0) {
        ++n
        r = rand()
        if (r < 0.15) { print bad[1 + int(rand() * 7)] > mix; print "e" > key }
        else if (r < 0.2) { print "" > mix; print "=" > key }
        else if (r < 0.25) { print "# note " n > mix; print "=" > key }
        else if (r < 0.35) {
          s = ""; for (k = int(rand() * 12); k > 0; --k) s = s substr(junk, 1 + int(rand() * length(junk)), 1)
          print s > mix; print "?" > key
        }
        print line (rand() < 0.2 ? " # trailing comment" : "") > mix; print "g" n > key
      }
    }'
    "$orrery" "${args[@]}" <"$good" >"$tmp/clean" 2>/dev/null
    "$orrery" "${args[@]}" <"$tmp/mix" >"$tmp/out" 2>/dev/null
    if [ "$(wc -l <"$tmp/out")" -ne "$(wc -l <"$tmp/mix")" ]; then
      echo "$(wc -l <"$tmp/out") lines out for $(wc -l <"$tmp/mix") in"
      failed=1
    fi
    if ! paste -d $'\x1f' "$tmp/key" "$tmp/mix" "$tmp/out" | awk -F $'\x1f' -v json="$json" -v cf="$tmp/clean" '
      BEGIN { while ((getline l < cf) > 0) clean[++n] = l }
      {
        k = $1; got = $3
        if (k ~ /^g/ && got != clean[substr(k, 2)]) { print "line " NR ": " got " != " clean[substr(k, 2)]; bad = 1 }
        if (k == "e" && got !~ (json ? "^\\{\"line\":" NR ",\"error\":" : "^ERROR: ")) { print "line " NR ": no placeholder: " got; bad = 1 }
        if (k == "=" && got != (json ? "" : $2)) { print "line " NR ": not echoed: " got; bad = 1 }
      }
      END { exit bad }'; then
      echo "FAIL: orrery ${args[*]}"
      failed=1
    fi
    echo "orrery ${args[*]}: $(wc -l <"$tmp/mix") lines"
  done
done
exit $failed
