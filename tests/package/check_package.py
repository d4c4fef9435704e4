#!/usr/bin/env python3
"""Unpacks the release files scripts/package made and checks what they hold.

    tests/package/check_package.py ROOT

ROOT is the source folder: its CMakeLists.txt names the version, dist/ holds the files.
Prints one line per fault and exits 1 when there is any."""
import io
import re
import subprocess
import sys
import tarfile
import tempfile
import zipfile
from pathlib import Path

faults = []


def fault(text):
    faults.append(text)
    print("package: " + text)


def utf16(text):
    return text.encode("utf-16-le")


def check_windows_program(name, data, machine, version):
    """A PE file for the right processor, with the version in its version resource."""
    if data[:2] != b"MZ":
        return fault(name + " is no Windows program")
    header = int.from_bytes(data[0x3C:0x40], "little")
    if data[header:header + 4] != b"PE\0\0":
        return fault(name + " has no PE header")
    found = int.from_bytes(data[header + 4:header + 6], "little")
    if found != machine:
        fault("%s is built for machine 0x%x, not 0x%x" % (name, found, machine))
    # A VERSIONINFO string: its key, up to two bytes padding it to 32 bits, then the value.
    for key in ("ProductVersion", "FileVersion"):
        at = data.find(utf16(key + "\0"))
        start = at + len(utf16(key + "\0"))
        value = data[start:start + 2 + len(utf16(version + "\0"))]
        if at < 0 or utf16(version + "\0") not in value:
            fault("%s has no %s %s in its version resource" % (name, key, version))


def check_zip(dist, version, bits, machine, readme):
    name = "marlin-%s-win%d" % (version, bits)
    path = dist / (name + ".zip")
    if not path.is_file():
        return fault(path.name + " is missing")
    with zipfile.ZipFile(path) as archive:
        files = sorted(n for n in archive.namelist() if not n.endswith("/"))
        wanted = sorted(name + "/" + f for f in ("README.md", "marlin-load.exe", "marlin.exe"))
        if files != wanted:
            fault("%s holds %s, not %s" % (path.name, files, wanted))
        if any(re.search(r"oci[^/]*\.dll$", n, re.I) for n in files):
            fault(path.name + " holds a client library")
        for program in ("marlin.exe", "marlin-load.exe"):
            if name + "/" + program in files:
                data = archive.read(name + "/" + program)
                check_windows_program(path.name + ": " + program, data, machine, version)
        if name + "/README.md" in files and archive.read(name + "/README.md") != readme:
            fault(path.name + ": README.md is not the project's README")


def check_linux(dist, version, readme):
    name = "marlin-load-%s-linux-x86_64" % version
    path = dist / (name + ".tar.gz")
    if not path.is_file():
        return fault(path.name + " is missing")
    with tempfile.TemporaryDirectory() as folder, tarfile.open(path) as archive:
        archive.extractall(folder)
        root = Path(folder) / name
        files = sorted(str(p.relative_to(root)) for p in root.rglob("*") if p.is_file())
        wanted = ["bin/marlin-load", "share/doc/Marlin/README.md", "share/man/man1/marlin-load.1"]
        if files != wanted:
            return fault("%s holds %s, not %s" % (path.name, files, wanted))
        program = root / "bin/marlin-load"
        shown = subprocess.run([str(program), "--version"], capture_output=True, text=True)
        if shown.stdout != "marlin-load (Marlin) %s\n" % version:
            fault("%s: marlin-load --version says %r" % (path.name, shown.stdout))
        # A Release build for users: no sanitizer, and no client library linked in.
        data = program.read_bytes()
        if b"__asan_init" in data or b"__ubsan_handle" in data:
            fault(path.name + ": marlin-load carries the sanitizers")
        needed = subprocess.run(["readelf", "-d", str(program)], capture_output=True, text=True)
        if "clntsh" in needed.stdout or "(NEEDED)" not in needed.stdout:
            fault(path.name + ": marlin-load is linked to a client library")
        page = (root / "share/man/man1/marlin-load.1").read_text()
        if not page.startswith(".TH MARLIN\\-LOAD 1") or "\\-\\-replace" not in page:
            fault(path.name + ": the man page is not marlin-load's --help")
        if (root / "share/doc/Marlin/README.md").read_bytes() != readme:
            fault(path.name + ": README.md is not the project's README")


def main():
    root = Path(sys.argv[1])
    found = re.search(r"project\(Marlin VERSION ([0-9.]+)", (root / "CMakeLists.txt").read_text())
    version = found.group(1)
    readme = (root / "README.md").read_bytes()
    dist = root / "dist"
    check_zip(dist, version, 64, 0x8664, readme)
    check_zip(dist, version, 32, 0x14C, readme)
    check_linux(dist, version, readme)
    if not faults:
        print("package: %s checked: two zips and a Linux marlin-load" % version)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
