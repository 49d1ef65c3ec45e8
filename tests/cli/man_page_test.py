#!/usr/bin/python3
"""The manual pages against the programs they describe.

  man_page_test.py quillon-cli PROGRAM PAGE DATA
      Every order that "quillon-cli --help" lists has its ".SS ORDER"
      subsection, which names every option of the order's own --help; the
      version in the page is the program's; and every command of EJEMPLOS,
      run in a fresh folder where data/ is DATA and with PROGRAM's folder
      first on PATH, exits 0 with nothing on standard error and prints the
      lines shown below it, if any.

  man_page_test.py quillon PROGRAM PAGE
      The version in the page is the program's, and the no-display line the
      page quotes is the one the program writes.
"""
import os
import re
import subprocess
import sys
import tempfile

failures = []


def fail(message):
    failures.append(message)


# The few roff escapes the pages use, in the text a reader sees.
ESCAPES = [("\\-", "-"), ("\\e", "\\"), ("\\(aq", "'"), ("\\&", ""), ("\\fB", ""),
           ("\\fI", ""), ("\\fR", ""), ("\\fP", ""), ("\\ ", " "),
           ("\\(bu", "\u2022")]


def unescape(line):
    out = ""
    i = 0
    while i < len(line):
        for escape, text in ESCAPES:
            if line.startswith(escape, i):
                out += text
                i += len(escape)
                break
        else:
            if line[i] == "\\":
                raise ValueError("roff escape the test does not read: " + line[i:i + 8])
            out += line[i]
            i += 1
    return out


def sections(page, macro):
    """{title: [lines]} of the .SH or .SS sections (a .SS ends at the next .SH too)."""
    found = {}
    current = None
    for line in page.splitlines():
        if line.startswith(".SH ") or line.startswith(".SS "):
            current = None
        if line.startswith(macro + " "):
            current = line[len(macro) + 1:].strip('"')
            found[current] = []
        elif current is not None:
            found[current].append(line)
    return found


def run(arguments, **options):
    return subprocess.run(arguments, capture_output=True, text=True, **options)


def check_version(program, page, name):
    version = run([program, "--version"]).stdout.strip()
    if not re.fullmatch(re.escape(name) + r" \d+\.\d+\.\d+", version):
        fail(f"{name} --version printed {version!r}")
        return
    title = next((line for line in page.splitlines() if line.startswith(".TH ")), "")
    if f'"{version}"' not in unescape(title):
        fail(f"the page's .TH line does not name {version!r}: {title}")
    for quoted in re.findall(re.escape(name) + r" \d+\.\d+\.\d+", unescape(page)):
        if quoted != version:
            fail(f"the page quotes {quoted!r}; the program is {version!r}")


def orders_of(program):
    help_text = run([program, "--help"]).stdout
    block = help_text.split("Órdenes:\n", 1)[1].split("\n\n", 1)[0]
    return [line.split()[0] for line in block.splitlines()]


def examples(page):
    """(command, expected output lines) of every .EX block of EJEMPLOS."""
    found = []
    block = None
    for line in sections(page, ".SH")["EJEMPLOS"]:
        if line.startswith(".EX"):
            block = []
        elif line.startswith(".EE"):
            command, shown = None, []
            for text in block:
                if command is not None and command.endswith("\\"):
                    command = command[:-1] + text
                elif text.startswith("$ "):
                    if command is not None:
                        found.append((command, shown))
                    command, shown = text[2:], []
                elif command is not None:
                    shown.append(text)
            if command is not None:
                found.append((command, shown))
            block = None
        elif block is not None:
            block.append(unescape(line))
    return found


def check_cli(program, page, data):
    check_version(program, page, "quillon-cli")
    orders = orders_of(program)
    if len(orders) < 7:
        fail(f"quillon-cli --help lists only {orders}")
    subsections = sections(page, ".SS")
    for order in orders:
        if order not in subsections:
            fail(f"no '.SS {order}' in the page for the order {order}")
            continue
        text = unescape("\n".join(subsections[order]))
        options = set(re.findall(r"--[a-z][a-z0-9-]*", run([program, order, "--help"]).stdout))
        for option in sorted(options - {"--help"}):
            if not re.search(re.escape(option) + r"(?![a-z0-9-])", text):
                fail(f".SS {order} does not name {option}")

    commands = examples(page)
    for order in orders:
        if not any(re.match(r"quillon-cli " + re.escape(order) + r"\b(?!-)", c)
                   for c, _ in commands):
            fail(f"no example of {order} in EJEMPLOS")
    environment = dict(os.environ)
    environment["PATH"] = os.path.dirname(os.path.abspath(program)) + os.pathsep + \
        environment.get("PATH", "")
    for command, shown in commands:
        with tempfile.TemporaryDirectory(prefix="quillon-man-") as folder:
            os.symlink(os.path.abspath(data), os.path.join(folder, "data"))
            result = run(["/bin/sh", "-c", command], cwd=folder, env=environment)
            if result.returncode != 0 or result.stderr:
                fail(f"{command}\n  exit {result.returncode}\n  {result.stderr}")
            elif shown and result.stdout != "".join(line + "\n" for line in shown):
                fail(f"{command}\n  prints:\n{result.stdout}  the page shows:\n" +
                     "".join(line + "\n" for line in shown))
    print(f"{len(orders)} orders, {len(commands)} examples")


def check_desktop(program, page):
    check_version(program, page, "quillon")
    bare = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": os.environ.get("HOME", "/")}
    line = run([program], env=bare).stderr.strip()
    quoted = [unescape(text) for text in page.splitlines() if text.startswith("quillon: ")]
    if not line.startswith("quillon: no hay pantalla") or quoted != [line]:
        fail(f"the program writes {line!r}; the page quotes {quoted}")


def read_page(path):
    """The page without its comment lines."""
    with open(path, encoding="utf-8") as f:
        return "\n".join(line for line in f.read().splitlines() if not line.startswith('.\\"'))


def main():
    if len(sys.argv) == 5 and sys.argv[1] == "quillon-cli":
        check_cli(sys.argv[2], read_page(sys.argv[3]), sys.argv[4])
    elif len(sys.argv) == 4 and sys.argv[1] == "quillon":
        check_desktop(sys.argv[2], read_page(sys.argv[3]))
    else:
        sys.exit(__doc__)
    for message in failures:
        print("FAIL:", message)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
