#!/usr/bin/env python3
"""The markup reader against html5lib-tests' tokenizer cases: html5lib.py MARKUPDUMP FOLDER.

Every case whose expected tokens hold a start tag must give exactly those start tags (name,
attributes in order, self-closing), read as the tokenizer alone reads markup. Skipped, by rule:
a case that does not start in the data state, and one whose input holds a named reference that
the reader does not decode (it decodes a subset) while the expected values hold it decoded.
Exits 77 when FOLDER is absent, so that the test counts as skipped, not passed."""
import glob, json, os, re, subprocess, sys, tempfile

tool, folder = sys.argv[1], sys.argv[2]
if not os.path.isdir(folder):
    print(f"html5lib: no {folder}")
    sys.exit(77)

def unescape(text):
    return re.sub(r"\\u([0-9A-Fa-f]{4})", lambda m: chr(int(m.group(1), 16)), text)

def start_tags(pages):
    with tempfile.TemporaryDirectory() as scratch:
        paths = [os.path.join(scratch, str(i)) for i in range(len(pages))]
        for path, page in zip(paths, pages):
            with open(path, "wb") as f:
                f.write(page.encode("utf-8", "surrogatepass"))
        out = subprocess.run([tool, "--as-markup", *paths], check=True, capture_output=True).stdout
    return [json.loads(line.decode("utf-8", "surrogateescape")) for line in out.splitlines()]

cases = []
for path in sorted(glob.glob(os.path.join(folder, "*.test"))):
    for case in json.load(open(path, encoding="utf-8")).get("tests", []):
        fix = unescape if case.get("doubleEscaped") else (lambda text: text)
        expected = [[fix(t[1]), [[fix(n), fix(v)] for n, v in t[2].items()], len(t) > 3 and t[3]]
                    for t in case["output"] if t[0] == "StartTag"]
        if expected:
            cases.append((os.path.basename(path), case, fix(case["input"]), expected))

references = sorted({r for _, _, text, _ in cases for r in re.findall(r"&[A-Za-z][A-Za-z0-9]*;", text)})
undecoded = {r for r, tags in zip(references, start_tags([f'<x a="{r}">' for r in references]))
             if tags[0][1][0][1] == r}
run, skipped = [], 0
for name, case, text, expected in cases:
    values = "".join(v for tag in expected for _, v in tag[1])
    if ("Data state" not in case.get("initialStates", ["Data state"])
            or any(r in undecoded and r not in values for r in re.findall(r"&[A-Za-z][A-Za-z0-9]*;", text))):
        skipped += 1
    else:
        run.append((name, case, text, expected))
failed = 0
for (name, case, text, expected), got in zip(run, start_tags([text for _, _, text, _ in run])):
    if got != expected:
        failed += 1
        print(f"FAIL {name}: {case['description']}\n  input    {text!r}\n  expected {expected}\n  got      {got}")
print(f"html5lib: {len(cases)} cases with a start tag: {len(run)} run, {len(run) - failed} passed, "
      f"{failed} failed, {skipped} skipped")
sys.exit(1 if failed else 0)
