#!/usr/bin/env python3
"""Seeded mutation testing of the library: how many small faults does the suite catch?

Draws a deterministic sample of single-point mutations of math/*.cpp and
common/*.cpp, applies each alone to a private copy of the tree, rebuilds that
copy unoptimised (only the source the mutant touches is recompiled; the tests
load the shared libraries, so nothing is relinked but the library) and
runs the plain CTest suite with a per-test time cap. A mutant is killed when a
test fails or times out, survives when all pass, and is left out (and replaced
by the next draw) when it does not compile. The working tree is never edited.

  scripts/mutants.sh [--seed S] [--count N] [--list] [--work DIR]
  scripts/mutants.sh --replay LOG

--replay runs again the mutants an earlier run printed (its log), found in the
sources as they are now, so that a changed suite is measured on the same
sample after the library's lines have moved. A mutant is found by its kind
and its line's text, in its file or, when that file was split, in any source
or internal header of the library; the library's former per-file names of pi and the degree
factors read as the shared ones, and file-local names as they were before
their family prefix went. One whose line is gone is reported.
--only REGEX keeps the mutants of the sources whose path matches it, for a
quicker look at one family (scripts/mutants.sh --replay LOG --only Surface).
"""
import argparse
import os
import random
import re
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Tests that check the tree rather than the arithmetic: formatting would kill
# every mutant, and the package and ABI checks are slow and see no results.
EXCLUDED_TESTS = "^(format|abi|package|exports[._].*)$"

# (kind, pattern, replacement). Binary operators are matched with the spaces
# clang-format puts around them, so templates, pointers and unary signs are
# left alone.
SWAPS = [
    ("+/-", r" \+ ", " - "),
    ("-/+", r" - ", " + "),
    ("*/", r" \* ", " / "),
    ("/*", r" / ", " * "),
    ("</<=", r" < ", " <= "),
    ("<=/<", r" <= ", " < "),
    (">/>=", r" > ", " >= "),
    (">=/>", r" >= ", " > "),
    ("==/!=", r" == ", " != "),
    ("!=/==", r" != ", " == "),
    ("&&/||", r" && ", " || "),
    ("||/&&", r" \|\| ", " && "),
    ("drop-sign", r"(?<=[(,=\[] )-(?=[\w(])|(?<=[(\[])-(?=[\w(])|(?<=return )-(?=[\w(])", ""),
]
NUMBER = re.compile(r"(?<![\w.])(\d+\.\d*|\d*\.\d+|\d+)(?:[eE][+-]?\d+)?[fF]?(?![\w.])")
CALL2 = re.compile(r"\b(\w+)\(([^(),]+), ([^(),]+)\)")
DECLARATION = re.compile(r"^(const )?[\w:<>]+ [&*]?\w+$")
STATEMENT = re.compile(r"^\s+(?:[\w.\[\]>-]+ [-+*/]?= [^;]*|[\w:.>-]+\([^;]*\));$")


def code_part(line):
    """The line without its // comment, with string and char literals blanked."""
    out, quote, i = [], None, 0
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\":
                out.append("__")
                i += 2
                continue
            out.append("_" if c != quote else c)
            if c == quote:
                quote = None
        elif c in "\"'":
            quote = c
            out.append(c)
        elif line.startswith("//", i):
            break
        else:
            out.append(c)
        i += 1
    return "".join(out)


def candidates(path):
    """Every single-point mutation of one source file, as (line, kind, old, new)."""
    rel = os.path.relpath(path, ROOT)
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    found, in_block = [], False
    for no, line in enumerate(lines, 1):
        code = code_part(line)
        if in_block or code.lstrip().startswith("/*"):
            in_block = "*/" not in code
            continue
        stripped = code.strip()
        if not stripped or stripped.startswith(("#", "*")):
            continue
        for kind, pattern, repl in SWAPS:
            for m in re.finditer(pattern, code):
                new = line[: m.start()] + repl + line[m.end():]
                found.append((rel, no, kind, line, new))
        for m in NUMBER.finditer(code):
            digits = [i for i in range(m.start(1), m.end(1)) if line[i].isdigit()]
            i = digits[-1]
            new = line[:i] + str((int(line[i]) + 1) % 10) + line[i + 1:]
            found.append((rel, no, "literal", line, new))
        for m in CALL2.finditer(code):
            a, b = m.group(2).strip(), m.group(3).strip()
            if a != b and not DECLARATION.match(a) and not DECLARATION.match(b):
                new = line[: m.start(2)] + b + ", " + a + line[m.end(3):]
                found.append((rel, no, "swap-args", line, new))
        previous = code_part(lines[no - 2]).strip() if no > 1 else ""
        after_statement = previous == "" or previous.endswith((";", "{", "}"))
        if after_statement and STATEMENT.match(code) and not re.match(r"^\s+(return|const|auto|double|float|int|bool)\b", code):
            found.append((rel, no, "delete", line, re.match(r"^\s*", line).group(0) + ";"))
    return found


def sample(seed):
    """All candidates in a seeded order that takes the operator kinds in turn."""
    by_kind = {}
    for path in library_sources():
        for c in candidates(path):
            by_kind.setdefault(c[2], []).append(c)
    rng = random.Random(seed)
    queues = []
    for kind in sorted(by_kind):
        rng.shuffle(by_kind[kind])
        queues.append(by_kind[kind])
    order = []
    while any(queues):
        for q in queues:
            if q:
                order.append(q.pop())
    return order


LOGGED = re.compile(r"^(\S+):(\d+)  (\S+)  (.*)  ->  (.*)  (killed|survived)$")
# The per-file names of pi and the degree factors that math/detail/Angles.h
# replaced, so that logs from before still replay.
OLD_ANGLE_NAME = re.compile(r"\bk(?!Half)[A-Z][a-z]+(Pi|HalfPi|DegToRad|RadToDeg)\b")


# File-local names that carried their family's prefix while several families
# shared one translation unit: the surfaces' by rule (a few renamed beyond
# dropping it), the others one by one.
OLD_PREFIX = re.compile(r"\b(k?)(surf|Surf)([A-Z])")
RENAMED = {
    "fractions(": "fractionsIfValid(",
    "relative(": "relativeFromFractions(",
    "IsNear(": "isNear(",
    "isectTriQuadratic": "triQuadratic",
    "kIsectTriFlatArea": "kTriFlatArea",
    "isectTriDegenerate": "triDegenerate",
    "isectTriAlongEdge": "triAlongEdge",
    "polyAllocate": "allocateArray",
    "polyRelease": "releaseArray",
    "polyCopy": "copyElement",
    "polyAppend": "appendTable",
    "polyFill": "fillSolid",
    "quatNearUnitX": "nearUnitX",
    "quatNormalised": "unitQuaternion",
    "kSkyJ2000": "kJ2000",
    "kSkyDaysPerCentury": "kDaysPerCentury",
    "kUnitsDefaultRadius": "kDefaultRadius",
    "kUnitsDefaultDegree": "kDefaultDegree",
    "kUnitsTableSize": "kTableSize",
    "unitsConvert": "convertByTable",
    "kUnitsPi": "kPiAs",
    "unitsToCartesian": "cartesianOf",
    "unitsToSpherical": "sphericalOf",
    "UnitsDegreeSplit": "DegreeSplit",
    "unitsSplitDegrees": "splitDegrees",
    "vecMulTransposeInto": "mulTransposeInto",
    "vecMulInto": "mulInto",
    "vecStoreElements": "storeElements",
    "vecStore": "storeInto",
    "vecIdentityMatrix": "identityMatrix",
    "vecGetRow": "copyRow",
    "vecGetCol": "copyCol",
    "vecConvertMatrix": "convertMatrix",
    "vecRowTimesMatrix": "rowTimesMatrix",
    "vecProjectPoint": "projectPoint",
    "vecMul4x4": "mul4x4",
    "vecMatrixTimesColumn": "matrixTimesColumn",
}


def unprefixed(m):
    first = m.group(3) if m.group(1) or m.group(2)[0].isupper() else m.group(3).lower()
    return m.group(1) + first


# The elementary functions the library called from the C library before it
# computed them itself: std::sin and elementary::sin read alike.
ELEMENTARY_CALL = re.compile(r"\b(std|(orrery::)?elementary)::(?=(sin|cos|tan|asin|acos|atan|atan2|hypot|sinh|tanh"
                             r"|asinh|atanh|expm1|log|log10|pow)\()")


def comparable(text):
    text = ELEMENTARY_CALL.sub("", text)
    text = OLD_ANGLE_NAME.sub(r"k\1", re.sub(r"\b(orrery::)?detail::", "", text))
    text = OLD_PREFIX.sub(unprefixed, text)
    for old, new in RENAMED.items():
        text = re.sub(r"\b" + re.escape(old), new, text)
    return text.strip()


def library_sources(headers=False):
    """The library's sources; with headers, also its internal headers, where
    code shared by the sources of a split file went."""
    dirs = [os.path.join(ROOT, "math"), os.path.join(ROOT, "common")]
    found = [os.path.join(d, f) for d in dirs for f in os.listdir(d) if f.endswith(".cpp")]
    if headers:
        inner = os.path.join(ROOT, "math", "detail")
        found += [os.path.join(inner, f) for f in os.listdir(inner) if f.endswith(".h")]
    return sorted(found)


def replayed(log):
    """The mutants of an earlier run's log, located in the current sources."""
    found, by_file = [], {}
    with open(log, encoding="utf-8") as f:
        for entry in f:
            m = LOGGED.match(entry.rstrip("\n"))
            if not m:
                continue
            rel, no, kind, old, new = m.group(1), int(m.group(2)), m.group(3), m.group(4), m.group(5)
            if rel not in by_file:
                path = os.path.join(ROOT, rel)
                by_file[rel] = candidates(path) if os.path.exists(path) else []
            same = [c for c in by_file[rel] if c[2] == kind and comparable(c[3]) == comparable(old)
                    and comparable(c[4]) == comparable(new)]
            if not same:
                if "*" not in by_file:
                    by_file["*"] = [c for p in library_sources(headers=True) for c in candidates(p)]
                same = [c for c in by_file["*"] if c[2] == kind and comparable(c[3]) == comparable(old)
                        and comparable(c[4]) == comparable(new)]
            if not same:
                print(f"{rel}:{no}  {kind}  {old}  (line gone, not replayed)", flush=True)
                continue
            # The nearest such line that no earlier entry took: two mutants of
            # identical lines stay two.
            same = [c for c in same if c not in found] or same
            found.append(min(same, key=lambda c: abs(c[1] - no)))
    return found


def run(cmd, cwd, timeout=None):
    return subprocess.run(cmd, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          text=True, timeout=timeout)


def prepare(work):
    """A private copy of the tracked tree, configured and built unoptimised."""
    src, build = os.path.join(work, "src"), os.path.join(work, "build")
    if os.path.exists(src):
        shutil.rmtree(src)
    files = run(["git", "ls-files", "-z"], ROOT).stdout.split("\0")
    for rel in filter(None, files):
        if not os.path.isfile(os.path.join(ROOT, rel)):
            continue
        os.makedirs(os.path.dirname(os.path.join(src, rel)), exist_ok=True)
        # A fresh modification time, so that a reused build directory rebuilds it.
        shutil.copy(os.path.join(ROOT, rel), os.path.join(src, rel))
    config = ["cmake", "-S", src, "-B", build, "-DCMAKE_BUILD_TYPE=Debug", "-DCMAKE_CXX_FLAGS=-O0 -w",
              "-DORRERY_WARNINGS_AS_ERRORS=OFF", "-DORRERY_BUILD_BENCHMARKS=OFF",
              "-DORRERY_BUILD_TESTS=ON", "-DCMAKE_LINK_DEPENDS_NO_SHARED=ON"]
    for step in (config, ["cmake", "--build", build, "-j2"]):
        r = run(step, work)
        if r.returncode:
            sys.exit("mutants: setting up the copy failed:\n" + r.stdout[-3000:])
    return src, build


def build_and_test(build, test_timeout):
    r = run(["cmake", "--build", build, "-j2"], build)
    if r.returncode:
        return "invalid"
    try:
        r = run(["ctest", "--test-dir", build, "-j2", "--timeout", str(test_timeout),
                 "--stop-on-failure", "-E", EXCLUDED_TESTS], build, timeout=20 * test_timeout)
    except subprocess.TimeoutExpired:
        return "killed"
    if "No tests were found" in r.stdout:
        sys.exit("mutants: ctest found no tests")
    return "killed" if r.returncode else "survived"


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--count", type=int, default=100, help="mutants to run (default 100)")
    ap.add_argument("--list", action="store_true", help="print the sample without running it")
    ap.add_argument("--work", default=os.path.join(ROOT, "build", "mutants"))
    ap.add_argument("--test-timeout", type=int, default=30, help="seconds per test")
    ap.add_argument("--replay", metavar="LOG", help="run the mutants of an earlier run's log")
    ap.add_argument("--only", metavar="REGEX", help="only the mutants of sources matching REGEX")
    args = ap.parse_args()

    order = replayed(args.replay) if args.replay else sample(args.seed)
    if args.only:
        order = [c for c in order if re.search(args.only, c[0])]
    if args.replay:
        args.count = len(order)
    if args.list:
        for rel, no, kind, old, new in order[: args.count]:
            print(f"{rel}:{no}  {kind}  {old.strip()}  ->  {new.strip()}")
        return 0

    os.makedirs(args.work, exist_ok=True)
    src, build = prepare(args.work)
    if build_and_test(build, args.test_timeout) != "survived":
        sys.exit("mutants: the unmutated suite does not pass")

    # Draw in sample order, but run grouped by file so that consecutive mutants
    # recompile the same source.
    chosen, next_draw = [], 0
    killed = survived = 0
    started = time.time()
    while len(chosen) < args.count and next_draw < len(order):
        batch = order[next_draw: next_draw + args.count - len(chosen)]
        next_draw += len(batch)
        for rel, no, kind, old, new in sorted(batch, key=lambda c: (c[0], c[1])):
            path = os.path.join(src, rel)
            with open(path, encoding="utf-8") as f:
                original = f.read()
            lines = original.split("\n")
            lines[no - 1] = new
            with open(path, "w", encoding="utf-8") as f:
                f.write("\n".join(lines))
            outcome = build_and_test(build, args.test_timeout)
            with open(path, "w", encoding="utf-8") as f:
                f.write(original)
            if outcome == "invalid":
                print(f"{rel}:{no}  {kind}  (does not compile, drawn again)", flush=True)
                continue
            chosen.append(rel)
            killed += outcome == "killed"
            survived += outcome == "survived"
            print(f"{rel}:{no}  {kind}  {old.strip()}  ->  {new.strip()}  {outcome}", flush=True)
    # Leave the copy built from the unmutated sources.
    run(["cmake", "--build", build, "-j2"], build)
    drawn = f"replay of {args.replay}" if args.replay else f"seed {args.seed}"
    print(f"mutants: {drawn}, {len(chosen)} mutants in {time.time() - started:.0f} s")
    print(f"{killed} killed, {survived} survived")
    return 0


if __name__ == "__main__":
    sys.exit(main())
