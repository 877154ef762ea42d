#!/usr/bin/env python3
"""The shape of src/ that the build alone cannot see.

Each layer may include only the layers below it (the layer libraries' include roots stop most
upward includes at build time; this also catches relative paths and system headers), no source
file is longer than 500 lines, and no function longer than 60. setup/ (setup.exe) is a Windows
program alone: Windows headers, no Qt, of the project only platform/win32/UniqueHandle.h.
Usage: check_structure.py SRC_DIR   (exit 1 and one line per fault when something is wrong)
"""
import pathlib
import re
import sys

# What each layer may include of the project, and which outside headers it must not use.
ALLOWED = {
    "formats": {"formats"},
    "platform": {"formats", "platform"},
    "core": {"formats", "platform", "core"},
    "widgets": {"formats", "platform", "widgets"},  # reusable controls: nothing of the launcher
    "gui": {"formats", "platform", "core", "widgets", "gui"},
    "tools": {"formats", "platform", "core", "widgets", "tools"},
}
OS_HEADERS = re.compile(
    r"^(unistd|fcntl|dirent|spawn|pwd|ifaddrs|windows|shlobj|shellapi)\.h$|^sys/|^net/|^netinet/"
    r"|^arpa/")
# Windows' own headers belong to platform/win32 alone, and POSIX's to platform/posix.
WINDOWS_HEADERS = re.compile(
    r"^(windows|shlobj|shellapi|objbase|sddl|winsock2|ws2tcpip|iphlpapi|winbase|winnt)\.h$",
    re.IGNORECASE)
POSIX_HEADERS = re.compile(r"^(unistd|fcntl|dirent|spawn|pwd|ifaddrs)\.h$|^sys/|^net/|^netinet/"
                           r"|^arpa/")
FILE_ACCESS = re.compile(r"^Q(File|FileInfo|Dir|DirIterator|StorageInfo|Process|StandardPaths"
                         r"|TemporaryFile|TemporaryDir|SaveFile|LockFile)$")
WIDGETS = re.compile(r"^Q(Widget|Dialog|MessageBox|Menu|Action|ToolButton|Label|LineEdit|Frame)$")
# setup.exe (and the starter) use of the project only the handle owners, no Qt at all; the
# system's headers belong to its own seam, setup/win32 and setup/posix.
SETUP_MAY_INCLUDE = {"platform/win32/UniqueHandle.h"}
QT_HEADERS = re.compile(r"^Q[A-Za-z]*$|^Qt[A-Za-z]*/")
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]')
MAX_FILE_LINES = 500
MAX_FUNCTION_LINES = 60


def layer_of(path, src):
    parts = path.relative_to(src).parts
    if parts[0] == "platform" and len(parts) > 2:
        return "platform"  # a side of the seam is part of the platform layer
    return parts[0] if len(parts) > 1 else None


def side_of(path, src):
    parts = path.relative_to(src).parts
    return parts[1] if parts[0] == "platform" and len(parts) > 2 else None


def includes(path, lines):
    """(where, name, first component) of each include."""
    for number, line in enumerate(lines, 1):
        match = INCLUDE.match(line)
        if match:
            name = match.group(1)
            yield f"{path}:{number}", name, name.split("/")[0]


def include_faults(path, layer, lines, side=None):
    for where, name, top in includes(path, lines):
        if ".." in name.split("/"):
            yield f"{where}: relative include {name}"
        elif top == "setup":
            yield f"{where}: {layer} includes the installer's {name}"
        elif top in ALLOWED and top not in ALLOWED[layer]:
            yield f"{where}: {layer} includes {name} from a higher layer"
        elif layer == "core" and re.match(r"^platform/(posix|win32)/", name):
            yield f"{where}: core includes a side of the seam: {name}"
        elif side != "win32" and WINDOWS_HEADERS.search(name):
            yield f"{where}: Windows header <{name}> outside platform/win32"
        elif side == "win32" and POSIX_HEADERS.search(name):
            yield f"{where}: POSIX header <{name}> in platform/win32"
        elif layer in ("formats", "core", "widgets", "gui", "tools") and OS_HEADERS.search(name):
            yield f"{where}: {layer} calls the system directly through <{name}>"
        elif layer in ("formats", "core", "gui") and FILE_ACCESS.match(name):
            yield f"{where}: {layer} touches files through <{name}>; use the platform layer"
        elif layer in ("formats", "platform", "core") and WIDGETS.match(name):
            yield f"{where}: {layer} uses widgets through <{name}>"


def setup_faults(path, lines, side):
    for where, name, top in includes(path, lines):
        if ".." in name.split("/"):
            yield f"{where}: relative include {name}"
        elif top in ALLOWED and name not in SETUP_MAY_INCLUDE:
            yield f"{where}: setup includes {name} of the launcher's layers"
        elif QT_HEADERS.search(name):
            yield f"{where}: setup uses Qt through <{name}>"
        elif side != "posix" and (POSIX_HEADERS.search(name) or name in ("signal.h", "poll.h")):
            yield f"{where}: POSIX header <{name}> in setup outside setup/posix"
        elif side != "win32" and WINDOWS_HEADERS.search(name):
            yield f"{where}: Windows header <{name}> in setup outside setup/win32"


def function_faults(path, lines):
    # Functions are written with their opening brace alone on a line (see .clang-format).
    start = None
    for number, line in enumerate(lines, 1):
        if start is None:
            if line == "{" or (line.strip() == "{" and number > 1 and
                               lines[number - 2].rstrip().endswith(")")):
                start = (number, len(line) - len(line.lstrip()))
        else:
            indent = len(line) - len(line.lstrip())
            if line.strip().startswith("}") and indent == start[1]:
                length = number - start[0] - 1
                if length > MAX_FUNCTION_LINES:
                    yield f"{path}:{start[0]}: function of {length} lines (at most " \
                          f"{MAX_FUNCTION_LINES})"
                start = None


def main():
    src = pathlib.Path(sys.argv[1])
    faults = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp") or not path.is_file():
            continue
        lines = path.read_text(encoding="utf-8").splitlines()
        if len(lines) > MAX_FILE_LINES:
            faults.append(f"{path}: {len(lines)} lines (at most {MAX_FILE_LINES})")
        layer = layer_of(path, src)
        if layer in ALLOWED:
            faults.extend(include_faults(path, layer, lines, side_of(path, src)))
        elif layer == "setup":
            parts = path.relative_to(src).parts
            faults.extend(setup_faults(path, lines, parts[1] if len(parts) > 2 else None))
        if path.suffix == ".cpp":
            faults.extend(function_faults(path, lines))
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
