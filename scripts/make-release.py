#!/usr/bin/env python3
"""Packs the release zip, the test kit's zip and their checksums, byte for byte the same for
the same inputs.

The product's zip holds traylnch.exe, README.txt (the Windows user's part of README.md, in
plain ASCII with Windows line ends) and LICENSE.txt. The kit's zip, made when --kit names the
folder the kit was built in, holds traylnch-tests.exe, marker.exe, calltrace.dll and
TESTS.txt (README.md's "Testing on Windows"): the two unpack into one folder. Entry times,
order and permissions are fixed, so only the inputs decide the bytes. The time is
SOURCE_DATE_EPOCH when set, else the commit's date, else the first time a zip can hold.
Usage: make-release.py --exe EXE --version VERSION --platform win32|win64 --out DIR [--kit DIR]
"""
import argparse
import hashlib
import os
import subprocess
import time
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# What a Windows user needs of README.md, by section heading.
SECTIONS = ("Command line", "For Windows users", "What it does not do")
ASCII = {"\u2014": "-", "\u2013": "-", "\u2026": "...", "\u201c": '"', "\u201d": '"', "\u2018": "'", "\u2019": "'"}


def windows_text(title, sections, ending):
    """The README.md sections a Windows user needs, as a plain text under title."""
    with open(os.path.join(ROOT, "README.md"), encoding="utf-8") as f:
        text = f.read()
    parts = text.split("\n## ")
    intro = parts[0].split("\n\n")[1]  # the paragraph under the title
    kept = [f"{title}\n\n{intro}\n"]
    for part in parts[1:]:
        heading = part.split("\n", 1)[0]
        if heading in sections:
            kept.append(f"{heading}\n{'-' * len(heading)}\n{part.split(chr(10), 1)[1].strip()}\n")
    if len(kept) != len(sections) + 1:
        raise SystemExit(f"README.md lacks one of the sections {sections}")
    kept.append(ending)
    readme = "\n".join(kept).replace("`", "")
    for character, replacement in ASCII.items():
        readme = readme.replace(character, replacement)
    # Fails on anything left that a plain text editor may garble.
    return readme.replace("\n", "\r\n").encode("ascii")


def write_zip(path, entries, stamp):
    with zipfile.ZipFile(path, "w") as archive:
        for entry, data in entries:
            info = zipfile.ZipInfo(entry, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0  # no Unix owner or mode bits
            info.external_attr = 0
            archive.writestr(info, data, compresslevel=9)
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def entry_time():
    if os.environ.get("SOURCE_DATE_EPOCH"):
        return int(os.environ["SOURCE_DATE_EPOCH"])
    commit = subprocess.run(["git", "-C", ROOT, "log", "-1", "--format=%ct"], capture_output=True, text=True)
    return int(commit.stdout) if commit.returncode == 0 and commit.stdout.strip() else 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--platform", required=True)
    parser.add_argument("--kit")
    args = parser.parse_args()

    with open(args.exe, "rb") as f:
        exe = f.read()
    with open(os.path.join(ROOT, "LICENSE"), encoding="ascii") as f:
        licence = f.read().replace("\n", "\r\n").encode("ascii")
    exe_sha256 = hashlib.sha256(exe).hexdigest()
    readme = windows_text(f"traylnch {args.version}", SECTIONS,
                          f"The SHA-256 of this traylnch.exe is\n{exe_sha256}\n")
    zips = [(f"traylnch-{args.version}-{args.platform}.zip",
             [("traylnch.exe", exe), ("README.txt", readme), ("LICENSE.txt", licence)])]
    if args.kit:
        kit = [(name, open(os.path.join(args.kit, name), "rb").read())
               for name in ("traylnch-tests.exe", "marker.exe", "calltrace.dll")]
        tests = windows_text(f"traylnch {args.version}: the test kit", ("Testing on Windows",), "")
        zips.append((f"traylnch-{args.version}-tests-{args.platform}.zip", kit + [("TESTS.txt", tests)]))

    os.makedirs(args.out, exist_ok=True)
    stamp = time.gmtime(max(entry_time(), 315532800))[:6]  # zip times start in 1980
    sums = [(write_zip(os.path.join(args.out, name), entries, stamp), name) for name, entries in zips]
    with open(os.path.join(args.out, "SHA256SUMS"), "w", newline="\n") as f:
        f.write("".join(f"{digest}  {name}\n" for digest, name in sums + [(exe_sha256, "traylnch.exe")]))
    for digest, name in sums:
        path = os.path.join(args.out, name)
        print(f"{path}: {os.path.getsize(path)} bytes, sha256 {digest}")


if __name__ == "__main__":
    main()
