#!/usr/bin/python3
"""Runs the examples that README.md and docs/*.md show with their output, and
checks every relative link of those pages.

The pages follow one convention (docs/README.md, "Examples that are run"):

- A fenced block with the info string `console` is a shell session: each line
  that starts with `$ ` is a command (a line ending with a backslash goes on on
  the next line), and the lines up to the next command are what it prints,
  standard output and standard error together. Each command runs in a new
  `bash` from the repository root, with the built quillon-cli first on PATH,
  the built Python module on PYTHONPATH and the engine library on
  LD_LIBRARY_PATH. The root is a fresh copy of the source tree (without .git and
  the build folders) for each block, so the files an example writes land there
  and not in the sources; the commands of one block share that copy. A command must
  exit with status 0 (an example about a failure shows `echo "exit status $?"`).
- A fenced block with the info string `pycon` is a Python session (`>>> ` and
  `... ` prompts, then the printed value), run by doctest in a new interpreter
  with the same environment and folder.
- An example with output that is not run has, right before its block, a line
  `_Not run by the docs test: <reason>._`
- A line starting with `$ ` or `>>> ` in any other fenced block is an error, so
  no shown output can escape the test.

The output is compared exactly; only CR LF becomes LF and the newlines at the
very end are ignored.

Usage: docs_examples_test.py --source DIR --cli QUILLON_CLI
           [--python-dir DIR] [--library-dir DIR] [--path-dir DIR ...]
"""
import argparse
import difflib
import os
import re
import shutil
import subprocess
import sys
import tempfile
from dataclasses import dataclass, field

NOT_RUN = re.compile(r"^_Not run by the docs test: (.+)\._$")
FENCE = re.compile(r"^( {0,3})(```+|~~~+)\s*([^\s`]*)")


@dataclass
class Block:
    page: str
    line: int  # 1-based line of the opening fence
    info: str
    lines: list
    not_run: str = None  # the reason, when marked


@dataclass
class Command:
    line: int
    text: str
    expected: list = field(default_factory=list)


def fenced_blocks(page, text):
    """Every fenced block of a Markdown page, with the marker before it."""
    lines = text.split("\n")
    blocks = []
    i = 0
    while i < len(lines):
        m = FENCE.match(lines[i])
        if not m:
            i += 1
            continue
        indent, fence, info = len(m.group(1)), m.group(2), m.group(3)
        start = i
        body = []
        i += 1
        while i < len(lines):
            stripped = lines[i].lstrip(" ")
            if stripped.startswith(fence[0] * len(fence)) and stripped.rstrip().strip(fence[0]) == "":
                break
            body.append(lines[i][indent:] if lines[i][:indent].strip() == "" else lines[i])
            i += 1
        i += 1
        marker = None
        j = start - 1
        while j >= 0 and lines[j].strip() == "":
            j -= 1
        if j >= 0:
            mm = NOT_RUN.match(lines[j].strip())
            if mm:
                marker = mm.group(1)
        blocks.append(Block(page, start + 1, info.lower(), body, marker))
    return blocks


def console_commands(block):
    """The commands of a console block with the output shown after each."""
    commands = []
    lines = block.lines
    i = 0
    while i < len(lines):
        line = lines[i]
        if line.startswith("$ "):
            number = block.line + 1 + i
            text = [line[2:]]
            while text[-1].endswith("\\") and i + 1 < len(lines):
                i += 1
                text.append(lines[i])
            commands.append(Command(number, "\n".join(text)))
        elif commands:
            commands[-1].expected.append(line)
        elif line.strip():
            raise ValueError(f"{block.page}:{block.line + 1 + i}: output before the first $ command")
        i += 1
    if not commands:
        raise ValueError(f"{block.page}:{block.line}: a console block without a $ command")
    return commands


def normalised(text):
    return text.replace("\r\n", "\n").rstrip("\n")


def scratch_root(source, folder):
    """A copy of the repository root without its history and build folders."""
    def ignored(top, names):
        if os.path.samefile(top, source):
            return [n for n in names if n == ".git" or n.startswith("build")]
        return [n for n in names if n == "__pycache__"]
    shutil.copytree(source, folder, symlinks=True, ignore=ignored, dirs_exist_ok=True)


PYCON_RUNNER = r"""
import doctest, sys
text = open(sys.argv[1], encoding="utf-8").read()
test = doctest.DocTestParser().get_doctest(text, {"__name__": "__main__"}, sys.argv[2],
                                           sys.argv[2], int(sys.argv[3]))
runner = doctest.DocTestRunner(optionflags=doctest.REPORT_UDIFF)
runner.run(test)
result = runner.summarize(verbose=False)
print(f"{result.attempted} examples, {result.failed} failed")
sys.exit(1 if result.failed or not result.attempted else 0)
"""


class Checker:
    def __init__(self, args):
        self.args = args
        self.failures = []
        self.commands_run = 0
        self.blocks_run = 0
        self.sessions_run = 0
        self.not_run = 0
        self.links = 0
        env = dict(os.environ)
        path = [os.path.dirname(os.path.abspath(args.cli))]
        path += [os.path.abspath(p) for p in args.path_dir]
        env["PATH"] = os.pathsep.join(path + [env.get("PATH", "")])
        if args.python_dir:
            env["PYTHONPATH"] = os.path.abspath(args.python_dir)
        if args.library_dir:
            env["LD_LIBRARY_PATH"] = os.pathsep.join(
                filter(None, [os.path.abspath(args.library_dir), env.get("LD_LIBRARY_PATH")]))
        env["PYTHONDONTWRITEBYTECODE"] = "1"
        env.pop("OLDPWD", None)
        self.env = env

    def fail(self, where, message):
        self.failures.append(f"{where}: {message}")

    def run_console(self, block, folder):
        try:
            commands = console_commands(block)
        except ValueError as error:
            self.failures.append(str(error))
            return
        for command in commands:
            where = f"{block.page}:{command.line}"
            env = dict(self.env, PWD=folder)
            done = subprocess.run(["bash", "-c", command.text], cwd=folder, env=env,
                                  stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                  stderr=subprocess.STDOUT)
            self.commands_run += 1
            got = normalised(done.stdout.decode("utf-8", errors="replace"))
            want = normalised("\n".join(command.expected))
            if done.returncode != 0:
                self.fail(where, f"`{command.text}` exited with status {done.returncode}\n{got}")
            elif got != want:
                diff = difflib.unified_diff(want.split("\n"), got.split("\n"), "shown", "printed",
                                            lineterm="")
                self.fail(where, f"`{command.text}` printed something else:\n" + "\n".join(diff))

    def run_pycon(self, block, folder):
        where = f"{block.page}:{block.line}"
        script = os.path.join(folder, ".session.txt")
        with open(script, "w", encoding="utf-8") as f:
            f.write("\n".join(block.lines) + "\n")
        # doctest counts the block's lines from 0: its first line is the one after the fence.
        done = subprocess.run([sys.executable, "-c", PYCON_RUNNER, script, block.page,
                               str(block.line)], cwd=folder,
                              env=dict(self.env, PWD=folder), stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        os.remove(script)
        self.sessions_run += 1
        if done.returncode != 0:
            self.fail(where, "the Python session printed something else:\n"
                      + done.stdout.decode("utf-8", errors="replace"))

    def examples(self, page, text):
        for block in fenced_blocks(page, text):
            if block.info in ("console", "pycon"):
                if block.not_run is not None:
                    self.not_run += 1
                    continue
                self.blocks_run += 1
                with tempfile.TemporaryDirectory(prefix="docs-example-") as folder:
                    scratch_root(self.args.source, folder)
                    if block.info == "console":
                        self.run_console(block, folder)
                    else:
                        self.run_pycon(block, folder)
            else:
                for k, line in enumerate(block.lines):
                    if line.startswith("$ ") or line.startswith(">>> "):
                        self.fail(f"{page}:{block.line + 1 + k}",
                                  f"a shown command in a `{block.info or 'plain'}` block: "
                                  "use `console` or `pycon`, or no prompt")
                        break

    def check_links(self, page, text, anchors):
        # Links inside code (fenced blocks and `spans`) are not links.
        prose = re.sub(r"(?ms)^ {0,3}(```+|~~~+).*?^ {0,3}\1[ \t]*$", "", text)
        prose = re.sub(r"`[^`\n]*`", "", prose)
        targets = re.findall(r"\]\(([^)\s]+)(?:\s+\"[^\"]*\")?\)", prose)
        targets += re.findall(r"<(?:img|a)\s[^>]*?(?:src|href)=\"([^\"]+)\"", prose)
        for target in targets:
            if re.match(r"^[a-z][a-z0-9+.-]*:", target):
                continue  # http:, https:, mailto:
            self.links += 1
            path, _, anchor = target.partition("#")
            where = os.path.join(self.args.source, os.path.dirname(page), path) if path else \
                os.path.join(self.args.source, page)
            where = os.path.normpath(where)
            if not os.path.exists(where):
                self.fail(page, f"link to a missing file: {target}")
                continue
            if anchor and where.endswith(".md"):
                rel = os.path.relpath(where, self.args.source)
                if anchor not in anchors.get(rel, ()):
                    self.fail(page, f"link to a missing heading: {target}")


def heading_anchors(text):
    """The anchors GitHub gives a page's headings."""
    text = re.sub(r"(?ms)^ {0,3}(```+|~~~+).*?^ {0,3}\1[ \t]*$", "", text)
    seen = {}
    anchors = set()
    for m in re.finditer(r"(?m)^#{1,6}\s+(.+?)\s*#*\s*$", text):
        slug = re.sub(r"[^\w\- ]", "", m.group(1).strip().lower()).replace(" ", "-")
        n = seen.get(slug, 0)
        seen[slug] = n + 1
        anchors.add(slug if n == 0 else f"{slug}-{n}")
    return anchors


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True)
    parser.add_argument("--cli", required=True)
    parser.add_argument("--python-dir")
    parser.add_argument("--library-dir")
    parser.add_argument("--path-dir", action="append", default=[])
    args = parser.parse_args()
    args.source = os.path.abspath(args.source)

    pages = ["README.md"] + sorted(
        os.path.join("docs", name) for name in os.listdir(os.path.join(args.source, "docs"))
        if name.endswith(".md"))
    texts = {}
    for page in pages:
        with open(os.path.join(args.source, page), encoding="utf-8") as f:
            texts[page] = f.read()
    anchors = {page: heading_anchors(text) for page, text in texts.items()}

    checker = Checker(args)
    for page in pages:
        checker.check_links(page, texts[page], anchors)
        checker.examples(page, texts[page])
    if checker.blocks_run == 0:
        checker.fail("examples", "no example was run")

    for failure in checker.failures:
        print(f"FAIL {failure}\n")
    print(f"{len(pages)} pages: {checker.blocks_run} examples run ({checker.commands_run} "
          f"commands, {checker.sessions_run} Python sessions), {checker.not_run} marked not run, "
          f"{checker.links} links checked")
    if checker.failures:
        print(f"{len(checker.failures)} failures")
        return 1
    print("All shown examples print what the pages show.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
