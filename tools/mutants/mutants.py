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

Each fault has an id that names its file and exact place: file, line and
column of the change, rule, original -> replacement. --show ID prints a fault
as a diff, --apply ID writes it into the tree and --revert takes it back.

Faults that change nothing anybody can see are listed, with the reason, in
tools/mutants/equivalent.tsv; they are reported as such and not run. An entry
matches a fault by its file, rule, change and column, the declaration (the
function, or the variable) that holds it, and the code line with the code
line before it; not by the line number, so it outlives edits above the fault.
An entry that matches no fault, or more than one, or one more than
FarestMove lines from the line it names, covers nothing and is reported:
--check-list lists them (and entries whose fault moved to another line)
without building or running anything, and fails if any covers nothing.
The sample is ordered by the seed and the same key, so a run on a later tree
meets mostly the same faults.

The report (build/mutants/report.tsv) grows as the run goes, so a run cut
short still tells its figures; --resume goes on from it, --resume --retry runs
its survivors again against the tests as they are now, --summary sums it up.
--listed runs instead the faults written by hand in tools/mutants/listed.tsv
(sed expressions, for faults no rule makes, such as a text or a table changed).

The Windows sources are left out: nothing runs them here.
"""
import argparse
import difflib
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


def shortText(s):
    return re.sub(r"\s+", " ", s)[:60]


def display(s):
    """Source text read byte for byte (latin-1, so that its offsets are
    libclang's) as the characters it holds."""
    return s.encode("latin-1").decode("utf-8", "replace")


class Mutant:
    def __init__(self, path, start, end, replacement, rule, text, holder):
        self.path, self.start, self.end = path, start, end
        self.replacement, self.rule, self.holder = replacement, rule, holder
        original = text[start:end]
        self.line = text.count("\n", 0, start) + 1
        self.column = start - (text.rfind("\n", 0, start) + 1) + 1
        self.change = f"{display(shortText(original))} -> {display(shortText(replacement))}"
        self.id = f"{path}:{self.line}:{self.column}:{rule}:{self.change}"
        self.context = contextAt(text, start)
        self.stable = placeKey(path, self.column, rule, self.change, holder, self.context)

    def apply(self, text):
        return text[:self.start] + self.replacement + text[self.end:]


def contextAt(text, offset):
    """The fault's line and the code line before it (comments skipped), blanks
    collapsed: where it is, in words that stay when code above it moves."""
    lines = text[:text.find("\n", offset) % (len(text) + 1)].split("\n")
    code = [re.sub(r"\s+", " ", l).strip() for l in lines]
    before = next((l for l in reversed(code[:-1]) if l and not l.startswith("//")), "")
    return f"{display(before)} ⏎ {display(code[-1])}"


def splitId(mutantId):
    """file, line, column, rule and change of a fault's id."""
    path, line, column, rule, change = mutantId.split(":", 4)
    return path, int(line), int(column), rule, change


def placeKey(path, column, rule, change, holder, context):
    """What names a fault across edits above it: everything but its line."""
    return "\t".join([path, str(column), rule, change, holder, context])


class ListedMutant:
    """A fault written by hand as a sed expression (tools/mutants/listed.tsv)."""

    def __init__(self, mutantId, path, expression):
        self.id, self.path, self.expression = "listed:" + mutantId, path, expression
        self.context, self.holder, self.stable = "", "", self.id

    def apply(self, text):
        return subprocess.run(["sed", "-e", self.expression], input=text.encode("latin-1"), capture_output=True,
                              check=True).stdout.decode("latin-1")


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


def readSource(path):
    return (ROOT / path).read_text(encoding="latin-1")


def writeSource(path, text):
    (ROOT / path).write_text(text, encoding="latin-1")


HOLDERS = {
    ci.CursorKind.FUNCTION_DECL, ci.CursorKind.CXX_METHOD, ci.CursorKind.CONSTRUCTOR,
    ci.CursorKind.DESTRUCTOR, ci.CursorKind.FUNCTION_TEMPLATE, ci.CursorKind.LAMBDA_EXPR,
    ci.CursorKind.VAR_DECL, ci.CursorKind.FIELD_DECL, ci.CursorKind.STRUCT_DECL,
    ci.CursorKind.ENUM_DECL, ci.CursorKind.TYPE_ALIAS_DECL,
}


def mutantsOf(path, args, index):
    text = readSource(path)
    extra = ["-x", "c++-header"] if path.endswith(".hpp") else []
    unit = index.parse(str(ROOT / path), args=extra + args)
    found = []
    holders = []

    def add(start, end, replacement, rule):
        if text[start:end] != replacement:
            found.append(Mutant(path, start, end, replacement, rule, text, holders[-1] if holders else ""))

    def visit(cursor, parent):
        if not inFile(cursor, path):
            for child in cursor.get_children():
                if child.location.file and os.path.realpath(child.location.file.name) == str(ROOT / path):
                    visit(child, cursor)
            return
        kind = cursor.kind
        # The outermost named declaration (a function, a table) holds the fault:
        # inner ones (a local variable) move with the code line anyway.
        holding = kind in HOLDERS and not holders
        if holding:
            holders.append(kind.name.lower().replace("_decl", "") + " " + (cursor.spelling or "?"))
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
        if holding:
            holders.pop()

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


LISTING = ROOT / "tools/mutants/equivalent.tsv"


class Entry:
    """A line of the listing: the fault's id as it was written, the declaration
    and the code lines that hold it, and why it changes nothing."""

    def __init__(self, number, line):
        self.number = number
        self.id, self.holder, self.context, self.reason = line.split("\t", 3)
        path, self.line, column, rule, change = splitId(self.id)
        self.key = placeKey(path, column, rule, change, self.holder, self.context)


def readEquivalents(listing=LISTING):
    entries = []
    for number, line in enumerate(Path(listing).read_text().splitlines(), 1):
        if line and not line.startswith("#"):
            entries.append(Entry(number, line))
    return entries


# How many lines a fault may move from the line its entry names and still be covered.
FarestMove = 40


def matchListing(mutants, entries):
    """Which faults the listing covers, by fault id, and what is wrong with it:
    entries that match no fault, entries whose key matches several faults
    (each could be the one it was written for, so it covers none) or one
    far from the line it names, faults listed twice, and entries whose fault
    now stands on another line."""
    byKey = {}
    for mutant in mutants:
        byKey.setdefault(mutant.stable, []).append(mutant)
    covered, stale, ambiguous, twice, moved, far = {}, [], [], [], [], []
    seen = {}
    for entry in entries:
        found = byKey.get(entry.key, [])
        if not found:
            stale.append(entry)
        elif len(found) == 1 and abs(found[0].line - entry.line) > FarestMove:
            # Code that moved this far may have left behind the lines the entry was written for, and
            # another copy of them stands there now: a reader checks it and writes the line again.
            far.append((entry, found[0]))
        elif len(found) > 1:
            ambiguous.append((entry, found))
        elif found[0].id in seen:
            twice.append((entry, seen[found[0].id]))
        else:
            seen[found[0].id] = entry
            covered[found[0].id] = entry
            if found[0].line != entry.line:
                moved.append((entry, found[0]))
    return covered, {"stale": stale, "ambiguous": ambiguous, "twice": twice, "moved": moved, "far": far}


def checkListing(mutants, entries):
    """Prints what is wrong with the listing; true if every entry covers its one fault."""
    covered, problems = matchListing(mutants, entries)
    where = lambda e: f"line {e.number}: {e.id}"
    for entry in problems["stale"]:
        print(f"{where(entry)}: matches no fault (in {entry.holder}: {entry.context})")
    for entry, found in problems["ambiguous"]:
        print(f"{where(entry)}: matches {len(found)} faults, so covers none: " + ", ".join(m.id for m in found))
    for entry, first in problems["twice"]:
        print(f"{where(entry)}: covers the same fault as line {first.number}")
    for entry, mutant in problems["far"]:
        print(f"{where(entry)}: matches only {mutant.id}, more than {FarestMove} lines away, so covers none")
    for entry, mutant in problems["moved"]:
        print(f"{where(entry)}: the fault now stands at {mutant.id}")
    bad = sum(len(problems[kind]) for kind in ("stale", "ambiguous", "twice", "far"))
    print(f"{len(entries)} entries: {len(covered)} cover one fault each, {len(problems['stale'])} match none, "
          f"{len(problems['ambiguous'])} match several, {len(problems['far'])} one too far away, "
          f"{len(problems['twice'])} repeat another; "
          f"{len(problems['moved'])} faults moved to another line")
    return bad == 0


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


def reportKey(mutantId, holder, context):
    if mutantId.startswith("listed:"):
        return mutantId
    path, _, column, rule, change = splitId(mutantId)
    return placeKey(path, column, rule, change, holder, context)


def summarise(report):
    """The report's figures, each survivor the listing calls equivalent counted so."""
    listed = {entry.key for entry in readEquivalents()}
    counts = {"killed": 0, "survived": 0, "equivalent": 0}
    survivors = []
    lines = report.read_text().splitlines()
    # A fault run again (--retry) counts as its last run went.
    last = {}
    for line in lines[1:]:
        mutantId, status, _, holder, context = (line.split("\t") + ["", "", "", ""])[:5]
        last[mutantId] = (status, reportKey(mutantId, holder, context))
    for mutantId, (status, stable) in last.items():
        # As listed now: a listing taken back leaves the fault a survivor until it is run again.
        if status in ("survived", "equivalent"):
            status = "equivalent" if stable in listed else "survived"
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
    parser.add_argument("--check-list", action="store_true",
                        help="only tell which entries of equivalent.tsv match no fault, or several; builds and runs nothing")
    parser.add_argument("--listing", default=str(LISTING), help="the equivalent faults' listing to use")
    parser.add_argument("--show", metavar="ID", help="only print the fault with this id as a diff")
    parser.add_argument("--apply", metavar="ID", help="write the fault with this id into the tree (--revert takes it back)")
    parser.add_argument("--revert", action="store_true", help="take back the fault --apply wrote")
    options = parser.parse_args()

    folder = Path(options.build)
    applied = folder / "applied.json"
    if options.summary:
        summarise(folder / ("listed.tsv" if options.listed else "report.tsv"))
        return
    if options.revert:
        if not applied.exists():
            sys.exit("no fault is applied")
        record = json.loads(applied.read_text())
        writeSource(record["path"], record["original"])
        applied.unlink()
        print("reverted", record["id"])
        return
    if not (folder / "CMakeCache.txt").exists():
        # lld, where it is installed, links the test programs of each fault in a fraction of the time.
        # Ninja builds the three test programs in one go without racing for their shared libraries.
        linker = ["-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld"] if shutil.which("ld.lld") else []
        linker += ["-G", "Ninja"] if shutil.which("ninja") else []
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(folder), "-DCMAKE_BUILD_TYPE=Debug", "-DBUILD_TESTING=ON",
                        "-DCMAKE_CXX_FLAGS=-O1"] + linker, check=True, stdout=subprocess.DEVNULL)
    if applied.exists():
        sys.exit(f"{json.loads(applied.read_text())['id']} is applied: --revert first")

    # Only the compile commands are needed to find the faults: nothing is built for these.
    mutants = listedMutants() if options.listed else allMutants(folder)
    entries = [] if options.listed else readEquivalents(options.listing)
    if options.list:
        covered, _ = matchListing(mutants, entries)
        for mutant in mutants:
            mark = "\tequivalent" if mutant.id in covered else ""
            print(f"{mutant.id}\t{mutant.holder}\t{mutant.context}{mark}")
        print(f"{len(mutants)} faults", file=sys.stderr)
        return
    if options.check_list:
        good = checkListing(mutants, entries)
        # The faults written by hand are matched by their sed expression: one that changes nothing is stale too.
        for listed in listedMutants():
            if not (ROOT / listed.path).exists() or listed.apply(readSource(listed.path)) == readSource(listed.path):
                print(f"listed.tsv: {listed.id}: changes nothing in {listed.path}")
                good = False
        sys.exit(0 if good else 1)
    if options.show or options.apply:
        wanted = options.show or options.apply
        mutant = next((m for m in mutants if m.id == wanted), None)
        if mutant is None:
            sys.exit(f"no fault has the id {wanted!r} (--list gives them all)")
        original = readSource(mutant.path)
        changed = mutant.apply(original)
        if options.show:
            sys.stdout.writelines(display(line) for line in difflib.unified_diff(
                original.splitlines(True), changed.splitlines(True), "a/" + mutant.path, "b/" + mutant.path))
        else:
            applied.write_text(json.dumps({"id": mutant.id, "path": mutant.path, "original": original}))
            writeSource(mutant.path, changed)
            print(f"applied {mutant.id}; --revert takes it back")
        return

    log = open(folder / "build.log", "w")
    if not build(folder, log):
        sys.exit("the unchanged sources do not build: see " + str(folder / "build.log"))
    if not options.listed:
        # Each fault's place in the sample comes from the seed and its stable key,
        # so code that moves keeps its faults in the sample, and a run on a later
        # tree meets mostly the same faults.
        mutants.sort(key=lambda m: hashlib.sha256(f"{options.seed}:{m.stable}".encode()).digest())
    if options.only:
        mutants = [m for m in mutants if options.only in m.id]
    # The run says first what is wrong with the listing: an entry that covers nothing leaves its fault to be run.
    if entries:
        checkListing(mutants, entries)
    covered, _ = matchListing(mutants, entries)
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
            writeSource(path, text)
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
                if mutant.id in covered:
                    status, detail = "equivalent", covered[mutant.id].reason
                else:
                    original = readSource(mutant.path)
                    changed = mutant.apply(original)
                    if changed == original:
                        print(f"not applied: {mutant.id}", flush=True)
                        continue
                    current[mutant.path] = original
                    writeSource(mutant.path, changed)
                    began = time.time()
                    try:
                        built = build(folder, log)
                        status, detail = runTests(folder, binariesFor(mutant.path), options.timeout) if built else ("not built", "")
                    finally:
                        restore()
                    detail = (detail + f" ({time.time() - began:.0f} s)").strip()
                with report.open("a") as out:
                    out.write(f"{mutant.id}\t{status}\t{detail}\t{mutant.holder}\t{mutant.context}\n")
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
