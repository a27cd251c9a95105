#!/usr/bin/env python3
"""Packs the release zip and its checksums, byte for byte the same for the same inputs.

The zip holds traylnch.exe, README.txt (the Windows user's part of README.md, in plain
ASCII with Windows line ends) and LICENSE.txt. Entry times come from --date, order and
permissions are fixed, so only the inputs decide the bytes. The time is SOURCE_DATE_EPOCH
when set, else the commit's date, else the first time a zip can hold.
Usage: make-release.py --exe EXE --version VERSION --out DIR
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


def windows_readme(version, exe_sha256):
    with open(os.path.join(ROOT, "README.md"), encoding="utf-8") as f:
        text = f.read()
    parts = text.split("\n## ")
    intro = parts[0].split("\n\n")[1]  # the paragraph under the title
    kept = [f"traylnch {version}\n\n{intro}\n"]
    for part in parts[1:]:
        heading = part.split("\n", 1)[0]
        if heading in SECTIONS:
            kept.append(f"{heading}\n{'-' * len(heading)}\n{part.split(chr(10), 1)[1].strip()}\n")
    if len(kept) != len(SECTIONS) + 1:
        raise SystemExit(f"README.md lacks one of the sections {SECTIONS}")
    kept.append(f"The SHA-256 of this traylnch.exe is\n{exe_sha256}\n")
    readme = "\n".join(kept).replace("`", "")
    for character, replacement in ASCII.items():
        readme = readme.replace(character, replacement)
    readme.encode("ascii")  # fails on anything left that a plain text editor may garble
    return readme.replace("\n", "\r\n").encode("ascii")


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
    args = parser.parse_args()

    with open(args.exe, "rb") as f:
        exe = f.read()
    with open(os.path.join(ROOT, "LICENSE"), encoding="ascii") as f:
        licence = f.read().replace("\n", "\r\n").encode("ascii")
    exe_sha256 = hashlib.sha256(exe).hexdigest()
    entries = [("traylnch.exe", exe), ("README.txt", windows_readme(args.version, exe_sha256)),
               ("LICENSE.txt", licence)]

    os.makedirs(args.out, exist_ok=True)
    name = f"traylnch-{args.version}-win32.zip"
    path = os.path.join(args.out, name)
    stamp = time.gmtime(max(entry_time(), 315532800))[:6]  # zip times start in 1980
    with zipfile.ZipFile(path, "w") as archive:
        for entry, data in entries:
            info = zipfile.ZipInfo(entry, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0  # no Unix owner or mode bits
            info.external_attr = 0
            archive.writestr(info, data, compresslevel=9)
    with open(path, "rb") as f:
        zip_sha256 = hashlib.sha256(f.read()).hexdigest()
    with open(os.path.join(args.out, "SHA256SUMS"), "w", newline="\n") as f:
        f.write(f"{zip_sha256}  {name}\n{exe_sha256}  traylnch.exe\n")
    print(f"{path}: {os.path.getsize(path)} bytes, sha256 {zip_sha256}")


if __name__ == "__main__":
    main()
