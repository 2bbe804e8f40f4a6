#!/usr/bin/python3
"""Plants small faults in the game's sources, one at a time, and tells which
tests catch each.

The faults come by rule from libclang's syntax tree (Debian's python3-clang):
relational, arithmetic and logical operators swapped, negations dropped,
conditions negated, integer constants moved by one, true and false swapped,
calls and statements dropped, the first two arguments of a call swapped.
A fixed random sample (SEED, SAMPLE) of the faults that compile is run against
posix_tests, unit_tests and e2e_tests, the fastest first, each stopping at its
first failure (the end-to-end tests in shards side by side); a run that
outlasts the time limit counts as caught (a hang).

Each fault has an id (file, line, rule, original -> replacement) and a stable
key: the id without file and line, and the line with the code line before it.
The sample is ordered by the seed and the stable key, and faults that change
nothing anybody can see are listed, with the reason, by id and context in
tools/mutants/equivalent.tsv; they are reported as such and not run. So both
outlive edits above a fault and code moving to another file.

The report (build/mutants/report.tsv) grows as the run goes, so a run cut
short still tells its figures; --resume goes on from it, --resume --retry runs
its survivors again against the tests as they are now, --summary sums it up.
--listed runs instead the faults written by hand in tools/mutants/listed.tsv
(sed expressions, for faults no rule makes, such as a text or a table changed).

The Windows sources are left out: nothing runs them here.
"""
import argparse
import json
import os
import hashlib
import re
import resource
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

import clang.cindex as ci

ROOT = Path(__file__).resolve().parents[2]
FOLDERS = ("app", "board", "maze", "play", "save", "platform")
SWAPS = {
    "<": ["<=", ">"], "<=": ["<", ">"], ">": [">=", "<"], ">=": [">", "<"],
    "==": ["!="], "!=": ["=="], "&&": ["||"], "||": ["&&"],
    "+": ["-"], "-": ["+"], "*": ["/"], "/": ["*"], "%": ["*"],
    "&": ["|"], "|": ["&"], "^": ["|"], "<<": [">>"], ">>": ["<<"],
    "+=": ["-="], "-=": ["+="], "|=": ["&="], "&=": ["|="],
}
STATEMENT_KINDS = {
    ci.CursorKind.CALL_EXPR, ci.CursorKind.BINARY_OPERATOR,
    ci.CursorKind.COMPOUND_ASSIGNMENT_OPERATOR, ci.CursorKind.UNARY_OPERATOR,
    ci.CursorKind.CXX_UNARY_EXPR, ci.CursorKind.BREAK_STMT, ci.CursorKind.CONTINUE_STMT,
    ci.CursorKind.UNEXPOSED_EXPR,
}


class Mutant:
    def __init__(self, path, start, end, replacement, rule, text):
        self.path, self.start, self.end = path, start, end
        self.replacement, self.rule = replacement, rule
        original = text[start:end]
        line = text.count("\n", 0, start) + 1
        self.line = line
        short = lambda s: re.sub(r"\s+", " ", s)[:60]
        self.id = f"{path}:{line}:{rule}:{short(original)} -> {short(replacement)}"
        self.context = contextAt(text, start)
        self.stable = stableKey(self.id, self.context)

    def apply(self, text):
        return text[:self.start] + self.replacement + text[self.end:]


def contextAt(text, offset):
    """The fault's line and the code line before it (comments skipped), blanks
    collapsed: where it is, in words that stay when code moves or changes file."""
    lines = text[:text.find("\n", offset) % (len(text) + 1)].split("\n")
    code = [re.sub(r"\s+", " ", l).strip() for l in lines]
    before = next((l for l in reversed(code[:-1]) if l and not l.startswith("//")), "")
    return f"{before} ⏎ {code[-1]}"


def stableKey(mutantId, context):
    """What names a fault across edits: its rule and change (the id without
    file and line) and its context; a listed fault by its id alone."""
    if mutantId.startswith("listed:") or not context:
        return mutantId
    return mutantId.split(":", 2)[2] + " @ " + context


class ListedMutant:
    """A fault written by hand as a sed expression (tools/mutants/listed.tsv)."""

    def __init__(self, mutantId, path, expression):
        self.id, self.path, self.expression = "listed:" + mutantId, path, expression
        self.context, self.stable = "", self.id

    def apply(self, text):
        return subprocess.run(["sed", "-e", self.expression], input=text, capture_output=True,
                              text=True, check=True).stdout


def listedMutants():
    mutants = []
    for line in (ROOT / "tools/mutants/listed.tsv").read_text().splitlines():
        if line and not line.startswith("#"):
            mutantId, path, expression = line.split("\t")[:3]
            mutants.append(ListedMutant(mutantId, path, expression))
    return mutants


def sources():
    found = sorted(str(p.relative_to(ROOT)) for folder in FOLDERS for p in (ROOT / folder).rglob("*")
                   if p.suffix in (".cpp", ".hpp"))
    return [p for p in found if not p.startswith("platform/windows/")]


def compileArgs(build):
    commands = json.loads((build / "compile_commands.json").read_text())
    byFile = {}
    for entry in commands:
        args = entry.get("arguments") or entry["command"].split()
        keep = [a for a in args[1:] if a.startswith(("-I", "-D", "-std", "-isystem"))]
        byFile[os.path.relpath(entry["file"], ROOT)] = keep
    return byFile


def offsets(cursor):
    return cursor.extent.start.offset, cursor.extent.end.offset


def inFile(cursor, path):
    loc = cursor.extent.start
    return loc.file is not None and os.path.realpath(loc.file.name) == str(ROOT / path)


def operatorToken(cursor, text):
    """The operator of a binary cursor: the first token after its left side."""
    children = list(cursor.get_children())
    if len(children) != 2:
        return None
    after = children[0].extent.end.offset
    for token in cursor.get_tokens():
        if token.extent.start.offset >= after and token.kind == ci.TokenKind.PUNCTUATION:
            return token
    return None


def mutantsOf(path, args, index):
    text = (ROOT / path).read_text()
    extra = ["-x", "c++-header"] if path.endswith(".hpp") else []
    unit = index.parse(str(ROOT / path), args=extra + args)
    found = []

    def add(start, end, replacement, rule):
        if text[start:end] != replacement:
            found.append(Mutant(path, start, end, replacement, rule, text))

    def visit(cursor, parent):
        if not inFile(cursor, path):
            for child in cursor.get_children():
                if child.location.file and os.path.realpath(child.location.file.name) == str(ROOT / path):
                    visit(child, cursor)
            return
        kind = cursor.kind
        start, end = offsets(cursor)
        if kind in (ci.CursorKind.BINARY_OPERATOR, ci.CursorKind.COMPOUND_ASSIGNMENT_OPERATOR):
            token = operatorToken(cursor, text)
            if token is not None and token.spelling in SWAPS:
                s, e = token.extent.start.offset, token.extent.end.offset
                for other in SWAPS[token.spelling]:
                    add(s, e, other, "operator")
        elif kind == ci.CursorKind.UNARY_OPERATOR:
            tokens = list(cursor.get_tokens())
            if tokens and tokens[0].spelling == "!":
                add(tokens[0].extent.start.offset, tokens[0].extent.end.offset, "", "negation")
            elif tokens and tokens[0].spelling in ("++", "--"):
                add(tokens[0].extent.start.offset, tokens[0].extent.end.offset,
                    "--" if tokens[0].spelling == "++" else "++", "operator")
        elif kind == ci.CursorKind.INTEGER_LITERAL:
            spelling = text[start:end]
            match = re.fullmatch(r"(0[xX][0-9a-fA-F']+|[0-9']+)([uUlL]*)", spelling)
            if match:
                digits = match.group(1).replace("'", "")
                octal = len(digits) > 1 and digits[0] == "0" and digits[1] not in "xX"
                value = int(digits, 8 if octal else 0)
                hexadecimal = digits[:2] in ("0x", "0X")
                spell = (lambda v: "0" + format(v, "o")) if octal else hex if hexadecimal else str
                add(start, end, spell(value + 1) + match.group(2), "constant")
                if value > 0:
                    add(start, end, spell(value - 1) + match.group(2), "constant")
        elif kind == ci.CursorKind.CXX_BOOL_LITERAL_EXPR:
            spelling = text[start:end]
            if spelling in ("true", "false"):
                add(start, end, "false" if spelling == "true" else "true", "constant")
        elif kind in (ci.CursorKind.IF_STMT, ci.CursorKind.WHILE_STMT):
            condition = next(iter(cursor.get_children()), None)
            if condition is not None and condition.kind != ci.CursorKind.VAR_DECL:
                cs, ce = offsets(condition)
                if text[cs:ce] and "=" not in text[cs:ce].replace("==", "").replace("!=", "").replace("<=", "").replace(">=", ""):
                    add(cs, ce, "!(" + text[cs:ce] + ")", "condition")
        # Swapping the arguments of min and max changes nothing.
        if kind == ci.CursorKind.CALL_EXPR and cursor.spelling not in ("min", "max"):
            arguments = list(cursor.get_arguments())
            if len(arguments) >= 2 and all(inFile(a, path) for a in arguments[:2]):
                (a0, a1), (b0, b1) = offsets(arguments[0]), offsets(arguments[1])
                if a1 <= b0 and text[a0:a1] != text[b0:b1] and text[a0:a1] and text[b0:b1]:
                    add(a0, b1, text[b0:b1] + text[a1:b0] + text[a0:a1], "arguments")
        if parent is not None and parent.kind == ci.CursorKind.COMPOUND_STMT and kind in STATEMENT_KINDS:
            semicolon = text.find(";", end)
            if semicolon >= 0 and text[end:semicolon].strip() == "":
                add(start, semicolon + 1, "", "statement")
        for child in cursor.get_children():
            visit(child, cursor)

    visit(unit.cursor, None)
    unique = {}
    for mutant in found:
        unique.setdefault(mutant.id, mutant)
    return list(unique.values())


def allMutants(build):
    byFile = compileArgs(build)
    fallback = next(iter(byFile.values()))
    index = ci.Index.create()
    mutants = []
    for path in sources():
        args = byFile.get(path)
        if args is None:
            sibling = path[:-4] + ".cpp"
            args = byFile.get(sibling, fallback)
        mutants.extend(mutantsOf(path, args, index))
    return mutants


def readEquivalents():
    """The listed faults that change nothing, by stable key (id, context, reason)."""
    reasons = {}
    listing = ROOT / "tools/mutants/equivalent.tsv"
    for line in listing.read_text().splitlines():
        if line and not line.startswith("#"):
            mutantId, context, reason = line.split("\t", 2)
            reasons[stableKey(mutantId, context)] = reason
    return reasons


def binariesFor(path):
    """The test programs that can see a fault in this file, fastest first."""
    if path.startswith("platform/windows/"):
        return []
    if path.startswith("platform/posix/") and not path.endswith("files.cpp"):
        return ["posix_tests", "e2e_tests"]
    if path.startswith("platform/posix/files.cpp"):
        return ["unit_tests", "e2e_tests"]
    if path.startswith("platform/"):
        return ["posix_tests", "unit_tests", "e2e_tests"]
    return ["unit_tests", "e2e_tests"]


def build(folder, log):
    return subprocess.run(["cmake", "--build", str(folder), "-j2", "--target",
                           "unit_tests", "posix_tests", "e2e_tests"],
                          stdout=log, stderr=subprocess.STDOUT).returncode == 0


def limitMemory():
    """A fault that makes the game or a test grow without end runs out of
    memory at 4 GiB (and so fails) instead of starving the machine."""
    resource.setrlimit(resource.RLIMIT_AS, (4 << 30, 4 << 30))


def runTests(folder, binaries, limit, shards=4):
    """How the suite met the fault: 'killed' or 'survived', and by what.

    The end-to-end tests mostly wait for a terminal, so they run in shards side
    by side; the first shard that fails stops the others."""
    for binary in binaries:
        program = folder / "tests" / binary
        count = shards if binary == "e2e_tests" else 1
        runs = []
        for index in range(count):
            environment = dict(os.environ, GTEST_TOTAL_SHARDS=str(count), GTEST_SHARD_INDEX=str(index))
            # A file, not a pipe: a failure's long report must not stall the run.
            log = tempfile.TemporaryFile("w+", errors="replace")
            runs.append((subprocess.Popen([str(program), "--gtest_fail_fast", "--gtest_brief=1"],
                                          cwd=folder / "tests", stdout=log, stderr=subprocess.DEVNULL,
                                          env=environment, start_new_session=True, preexec_fn=limitMemory), log))
        deadline = time.time() + limit
        outcome = None
        while runs and outcome is None:
            for run, log in list(runs):
                if run.poll() is None:
                    continue
                runs.remove((run, log))
                if run.returncode != 0:
                    log.seek(0)
                    failed = re.findall(r"^\[  FAILED  \] ([\w/]+\.[\w/]+)", log.read(), re.M)
                    outcome = ("killed", f"{binary}: {failed[0] if failed else f'exit {run.returncode}'}")
            if runs and outcome is None:
                if time.time() > deadline:
                    outcome = ("killed", f"{binary}: hang past {limit} s")
                else:
                    time.sleep(0.05)
        for run, _ in runs:
            os.killpg(run.pid, signal.SIGKILL)
            run.wait()
        if outcome:
            return outcome
    return "survived", ""


def summarise(report):
    """The report's figures, each survivor the listing calls equivalent counted so."""
    equivalents = readEquivalents()
    counts = {"killed": 0, "survived": 0, "equivalent": 0}
    survivors = []
    lines = report.read_text().splitlines()
    # A fault run again (--retry) counts as its last run went.
    last = {}
    for line in lines[1:]:
        mutantId, status, _, context = (line.split("\t") + ["", "", ""])[:4]
        last[mutantId] = (status, stableKey(mutantId, context))
    for mutantId, (status, stable) in last.items():
        # As listed now: a listing taken back leaves the fault a survivor until it is run again.
        if status in ("survived", "equivalent"):
            status = "equivalent" if stable in equivalents else "survived"
        if status in counts:
            counts[status] += 1
        if status == "survived":
            survivors.append(mutantId)
    for mutantId in survivors:
        print("survived:", mutantId)
    run = counts["killed"] + counts["survived"]
    print(f"{lines[0][2:]}; {sum(counts.values())} compiled faults run or listed: killed {counts['killed']}, "
          f"equivalent {counts['equivalent']}, survived {counts['survived']}; "
          f"caught {100 * counts['killed'] // max(run, 1)} % of those not equivalent")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--seed", type=int, default=17)
    parser.add_argument("--sample", type=int, default=300)
    parser.add_argument("--build", default=str(ROOT / "build/mutants"))
    parser.add_argument("--timeout", type=int, default=240, help="seconds per test program")
    parser.add_argument("--resume", action="store_true", help="go on from the report of an earlier run")
    parser.add_argument("--retry", action="store_true",
                        help="with --resume: run the survivors of the earlier run again, against the tests as they are now")
    parser.add_argument("--list", action="store_true", help="only list every fault")
    parser.add_argument("--only", help="run only the faults whose id contains this")
    parser.add_argument("--listed", action="store_true",
                        help="run the faults written by hand in tools/mutants/listed.tsv instead of a sample")
    parser.add_argument("--summary", action="store_true",
                        help="only sum up the report, with the equivalent faults as listed now")
    options = parser.parse_args()

    folder = Path(options.build)
    if options.summary:
        summarise(folder / ("listed.tsv" if options.listed else "report.tsv"))
        return
    if not (folder / "CMakeCache.txt").exists():
        # lld, where it is installed, links the test programs of each fault in a fraction of the time.
        # Ninja builds the three test programs in one go without racing for their shared libraries.
        linker = ["-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld"] if shutil.which("ld.lld") else []
        linker += ["-G", "Ninja"] if shutil.which("ninja") else []
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(folder), "-DCMAKE_BUILD_TYPE=Debug", "-DBUILD_TESTING=ON",
                        "-DCMAKE_CXX_FLAGS=-O1"] + linker, check=True, stdout=subprocess.DEVNULL)
    log = open(folder / "build.log", "w")
    if not build(folder, log):
        sys.exit("the unchanged sources do not build: see " + str(folder / "build.log"))

    mutants = listedMutants() if options.listed else allMutants(folder)
    if options.list:
        for mutant in mutants:
            print(f"{mutant.id}\t{mutant.context}")
        print(f"{len(mutants)} faults", file=sys.stderr)
        return
    if not options.listed:
        # Each fault's place in the sample comes from the seed and its stable key,
        # so code that moves keeps its faults in the sample, and a run on a later
        # tree meets mostly the same faults.
        mutants.sort(key=lambda m: hashlib.sha256(f"{options.seed}:{m.stable}".encode()).digest())
    if options.only:
        mutants = [m for m in mutants if options.only in m.id]
    equivalents = readEquivalents()
    report = folder / ("listed.tsv" if options.listed else "report.tsv")
    done = {}
    if options.resume and report.exists():
        for line in report.read_text().splitlines()[1:]:
            mutantId, status, detail = (line.split("\t") + ["", ""])[:3]
            # A fault whose listing was taken back is run again as well.
            if not (options.retry and status in ("survived", "equivalent")):
                done[mutantId] = (status, detail)
    else:
        report.write_text(f"# seed {options.seed}, sample {options.sample}, {len(mutants)} faults in all\n")

    # Whatever stops the run, the source goes back as it was.
    current = {}

    def restore(*_):
        for path, text in current.items():
            (ROOT / path).write_text(text)
        current.clear()
        if _:
            sys.exit(1)
    signal.signal(signal.SIGTERM, restore)
    signal.signal(signal.SIGINT, restore)

    counts = {"killed": 0, "survived": 0, "equivalent": 0, "not built": 0}
    compiled = 0
    try:
        for mutant in mutants:
            if compiled >= options.sample:
                break
            if mutant.id in done:
                status, detail = done[mutant.id]
            else:
                # A listed fault is reported too, so that the summary counts it.
                if mutant.stable in equivalents:
                    status, detail = "equivalent", equivalents[mutant.stable]
                else:
                    original = (ROOT / mutant.path).read_text()
                    changed = mutant.apply(original)
                    if changed == original:
                        print(f"not applied: {mutant.id}", flush=True)
                        continue
                    current[mutant.path] = original
                    (ROOT / mutant.path).write_text(changed)
                    began = time.time()
                    try:
                        built = build(folder, log)
                        status, detail = runTests(folder, binariesFor(mutant.path), options.timeout) if built else ("not built", "")
                    finally:
                        restore()
                    detail = (detail + f" ({time.time() - began:.0f} s)").strip()
                with report.open("a") as out:
                    out.write(f"{mutant.id}\t{status}\t{detail}\t{mutant.context}\n")
            counts[status] = counts.get(status, 0) + 1
            if status != "not built":
                compiled += 1
                print(f"[{compiled}/{options.sample}] {status:10} {mutant.id}  {detail}", flush=True)
    finally:
        restore()
        build(folder, log)
    run = counts["killed"] + counts["survived"]
    print(f"seed {options.seed}: {compiled} compiled faults, killed {counts['killed']}, "
          f"equivalent {counts['equivalent']}, survived {counts['survived']}, "
          f"not built {counts['not built']}; caught {100 * counts['killed'] // max(run, 1)} % of the rest")


if __name__ == "__main__":
    main()
