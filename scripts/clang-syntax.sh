#!/usr/bin/env bash
# The program builds with both compilers Debian ships. The fuzz build compiles the core with
# clang; this checks the windows and the player too, at a fraction of a build's cost: clang
# parses each of their sources with the flags and generated files of a gcc build folder, and
# generates no code. Errors fail it; clang may warn where gcc does not, and its warnings are
# shown without failing it, as in the sanitizer build.
# scripts/clang-syntax.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
exec python3 - "${1:-build}" "${CLANGXX:-clang++}" <<'PY'
import json, os, shlex, subprocess, sys
from concurrent.futures import ThreadPoolExecutor

build, clang = sys.argv[1], sys.argv[2]
source = os.path.abspath("src") + os.sep
with open(os.path.join(build, "compile_commands.json")) as f:
    entries = json.load(f)

def Command(entry):
    args = entry["arguments"] if "arguments" in entry else shlex.split(entry["command"])
    out = [clang, "-fsyntax-only"]
    if os.path.basename(args[0]) == "ccache":  # a compiler launcher
        args = args[1:]
    skip = False
    for arg in args[1:]:
        if skip:
            skip = False
        elif arg == "-o":
            skip = True
        elif arg != "-c":
            out.append(arg)
    return out + ["-Wno-error", "-Wno-unknown-warning-option"]

# The program's Qt sources: the shell's files as the build compiles them (unity batches
# and moc output included), not the tests.
def IsProgramUi(entry):
    command = entry.get("command", " ".join(entry.get("arguments", [])))
    path = os.path.abspath(os.path.join(entry["directory"], entry["file"]))
    built = os.path.abspath(os.path.join(build, "src")) + os.sep
    return "qt6" in command and (path.startswith(source) or path.startswith(built))

def Check(entry):
    run = subprocess.run(Command(entry), cwd=entry["directory"], capture_output=True, text=True)
    return entry["file"], run.returncode, run.stderr

checked = [e for e in entries if IsProgramUi(e)]
if not checked:
    sys.exit(f"no program sources with Qt in {build}/compile_commands.json")
failed = 0
with ThreadPoolExecutor(max_workers=os.cpu_count() or 1) as pool:
    for name, status, err in pool.map(Check, checked):
        if err:
            sys.stderr.write(err)
        if status != 0:
            failed += 1
            print(f"clang rejects {name}", file=sys.stderr)
print(f"clang: {len(checked) - failed} of {len(checked)} sources accepted")
sys.exit(1 if failed else 0)
PY
