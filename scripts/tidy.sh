#!/usr/bin/env bash
# Runs clang-tidy with the checks in .clang-tidy over the sources of math/,
# common/ and tools/ and the headers they include, two files at a time at low
# priority. Prints every finding once and exits non-zero when there is any
# (.clang-tidy makes every warning an error).
#
#   scripts/tidy.sh                              every source
#   scripts/tidy.sh math/GridMgrs.cpp tools/Svg.cpp  only these
#   TIDY_JOBS=1 scripts/tidy.sh                  one file at a time
#
# clang-tidy-14 by default (CLANG_TIDY=... for another): each release adds
# checks under bugprone-* and performance-*, so a newer one may find more.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ ! -f build/default/compile_commands.json ]; then
  cmake --preset default >/dev/null
fi

exec nice -n 5 python3 - "$@" <<'PY'
import concurrent.futures, json, os, pathlib, re, shlex, subprocess, sys, time

root = pathlib.Path.cwd()
jobs = int(os.environ.get("TIDY_JOBS", "2"))
tidy = os.environ.get("CLANG_TIDY", "clang-tidy-14")

entries = {}
for e in json.load(open("build/default/compile_commands.json")):
    entries.setdefault(str(pathlib.Path(e["directory"], e["file"]).resolve()), e)

sources = [pathlib.Path(a).resolve() for a in sys.argv[1:]] or [
    f for d in ("math", "common", "tools") for f in sorted((root / d).glob("*.cpp"))]

db, missing = [], []
for f in sources:
    e = entries.get(str(f))
    if e is None:
        missing.append(str(f.relative_to(root)))
        continue
    args = e["arguments"] if "arguments" in e else shlex.split(e["command"])
    args = [str(f) if a == e["file"] else a for a in args]
    db.append({"directory": e["directory"], "file": str(f), "arguments": args})
if missing:
    sys.exit("tidy: no compile flags for " + " ".join(missing))
out = root / "build" / "tidy"
out.mkdir(parents=True, exist_ok=True)
json.dump(db, open(out / "compile_commands.json", "w"), indent=1)

def run(entry):
    p = subprocess.run([tidy, "-p", str(out), "--quiet", entry["file"]],
                       stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    return entry["file"], p.returncode, p.stdout

started = time.time()
seen, findings, failed = set(), 0, []
finding = re.compile(r"^(/\S+?:\d+:\d+: )?(warning|error): (.*)$")
with concurrent.futures.ThreadPoolExecutor(jobs) as pool:
    for name, rc, text in pool.map(run, db):
        if rc != 0:
            failed.append(name)
        # A header's findings come once per source that includes it: print each once.
        block, keep = [], False
        for line in text.splitlines():
            m = finding.match(line)
            if m:
                if block and keep:
                    print("\n".join(block))
                block = []
                keep = m.group(0) not in seen
                seen.add(m.group(0))
                findings += keep
                if m.group(1) is None:  # no place given: name the source checked
                    line = os.path.relpath(name) + ": " + line
            line = line.replace(str(root) + "/", "")
            if re.match(r"^\d+ warnings? (and \d+ errors? )?generated\.$", line) or \
               line.startswith("Suppressed ") or line.startswith("Use -header-filter"):
                continue
            block.append(line)
        if block and keep:
            print("\n".join(block))
print(f"tidy: {len(db)} sources, {findings} findings, {time.time() - started:.0f}s")
if failed and not findings:
    print("tidy: clang-tidy failed on " + " ".join(os.path.relpath(f) for f in failed))
sys.exit(1 if failed or findings else 0)
PY
