"""Builds the calvoro wheel and source distribution with the standard library alone, so that
pip installs the package from a source checkout in a plain virtual environment, offline.

As pip's build backend (pyproject.toml) it makes a wheel of the package with the native
libraries that config settings name (`-C library=PATH`, repeated, and `-C platform=TAG`); from
a source checkout on Linux it takes the simulated library of the `release` CMake preset when
that was built. As a program it makes the platform wheels:

    python3 build_backend.py --platform win_amd64 --library calvoro.dll \\
        --library calvoro_simulated.dll --out dist/
"""
import argparse
import base64
import hashlib
import io
import os
import pathlib
import re
import sys
import tarfile
import zipfile

HERE = pathlib.Path(__file__).resolve().parent
PACKAGE = "calvoro"
# Entries get one fixed time, so that the same sources make the same archive.
TIMESTAMP = (1980, 1, 1, 0, 0, 0)


def _project():
    """The [project] table of pyproject.toml."""
    try:
        import tomllib
    except ImportError:
        raise SystemExit("building calvoro from source needs Python 3.11 or later (tomllib)")
    return tomllib.loads((HERE / "pyproject.toml").read_text(encoding="utf-8"))["project"]


def version():
    """Set once, in the top CMakeLists.txt; a source distribution carries it in PKG-INFO."""
    cmake = HERE.parent.parent / "CMakeLists.txt"
    if cmake.is_file():
        found = re.search(r"project\(Calvoro\s+VERSION\s+([0-9]+\.[0-9]+\.[0-9]+)", cmake.read_text())
    else:
        found = re.search(r"^Version: (\S+)$", (HERE / "PKG-INFO").read_text(), re.MULTILINE)
    if found is None:
        raise SystemExit("no version: neither ../../CMakeLists.txt nor PKG-INFO names one")
    return found.group(1)


def metadata():
    project = _project()
    lines = [
        "Metadata-Version: 2.1",
        f"Name: {project['name']}",
        f"Version: {version()}",
        f"Summary: {project['description']}",
        f"License: {project['license']['text']}",
        f"Requires-Python: {project['requires-python']}",
        f"Keywords: {','.join(project['keywords'])}",
    ]
    lines += [f"Classifier: {classifier}" for classifier in project["classifiers"]]
    lines.append("Description-Content-Type: text/markdown")
    return "\n".join(lines) + "\n\n" + (HERE / project["readme"]).read_text(encoding="utf-8")


def _licence():
    for place in (HERE / "LICENSE", HERE.parent.parent / "LICENSE"):
        if place.is_file():
            return place.read_bytes()
    raise SystemExit("no LICENSE beside the package or at the top of the source tree")


def _package_files():
    """The package's sources, with the version written out."""
    files = {}
    for path in sorted((HERE / PACKAGE).glob("*.py")) + [HERE / PACKAGE / "py.typed"]:
        files[f"{PACKAGE}/{path.name}"] = path.read_bytes()
    files[f"{PACKAGE}/_version.py"] = (
        f'"""The package\'s version."""\n__version__ = "{version()}"\n'.encode())
    return files


def _record_hash(data):
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=")
    return f"sha256={digest.decode()}"


def make_wheel(out_dir, platform="any", libraries=()):
    """Writes calvoro-VERSION-py3-none-PLATFORM.whl into out_dir; returns its file name."""
    files = _package_files()
    for library in map(pathlib.Path, libraries):
        files[f"{PACKAGE}/{library.name}"] = library.read_bytes()
    dist_info = f"{PACKAGE}-{version()}.dist-info"
    files[f"{dist_info}/METADATA"] = metadata().encode()
    files[f"{dist_info}/LICENSE"] = _licence()
    files[f"{dist_info}/WHEEL"] = (
        "Wheel-Version: 1.0\nGenerator: calvoro build_backend\n"
        f"Root-Is-Purelib: {'true' if platform == 'any' else 'false'}\nTag: py3-none-{platform}\n"
    ).encode()
    record = [f"{name},{_record_hash(data)},{len(data)}" for name, data in files.items()]
    files[f"{dist_info}/RECORD"] = ("\n".join(record + [f"{dist_info}/RECORD,,"]) + "\n").encode()

    name = f"{PACKAGE}-{version()}-py3-none-{platform}.whl"
    with zipfile.ZipFile(pathlib.Path(out_dir) / name, "w", zipfile.ZIP_DEFLATED) as wheel:
        for entry, data in files.items():
            info = zipfile.ZipInfo(entry, TIMESTAMP)
            info.external_attr = 0o644 << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            wheel.writestr(info, data)
    return name


def _source_checkout_libraries():
    """On Linux, the simulated library of the `release` preset, if it was built."""
    built = HERE.parent.parent / "build" / "release" / "src" / "libcalvoro_simulated.so"
    if sys.platform.startswith("linux") and built.is_file():
        return "linux_x86_64", [built]
    print("calvoro: no native library given (-C library=PATH) or built (cmake --workflow --preset "
          "release): the wheel holds none, and calvoro will look for one through CALVORO_LIBRARY "
          "and the system's loader", file=sys.stderr)
    return "any", []


# ---- PEP 517 ----

def get_requires_for_build_wheel(config_settings=None):
    return []


def get_requires_for_build_sdist(config_settings=None):
    return []


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    settings = config_settings or {}
    libraries = settings.get("library", [])
    libraries = [libraries] if isinstance(libraries, str) else list(libraries)
    if libraries:
        platform = settings.get("platform", "any")
    else:
        platform, libraries = _source_checkout_libraries()
    return make_wheel(wheel_directory, platform, libraries)


def build_sdist(sdist_directory, config_settings=None):
    """calvoro-VERSION.tar.gz: the package, this backend, the README, the licence and PKG-INFO,
    which carries the version for a build outside the source tree."""
    base = f"{PACKAGE}-{version()}"
    files = {"PKG-INFO": metadata().encode(), "LICENSE": _licence()}
    for name in ("pyproject.toml", "build_backend.py", "README.md"):
        files[name] = (HERE / name).read_bytes()
    for name, data in _package_files().items():
        files[name] = data
    name = f"{base}.tar.gz"
    with tarfile.open(pathlib.Path(sdist_directory) / name, "w:gz", format=tarfile.PAX_FORMAT) as sdist:
        for entry, data in sorted(files.items()):
            info = tarfile.TarInfo(f"{base}/{entry}")
            info.size, info.mode, info.mtime = len(data), 0o644, 315532800
            sdist.addfile(info, io.BytesIO(data))
    return name


def main():
    parser = argparse.ArgumentParser(description="Builds a calvoro wheel with native libraries.")
    parser.add_argument("--platform", required=True, help="the wheel's platform tag, e.g. win_amd64")
    parser.add_argument("--library", action="append", default=[], help="a native library to carry")
    parser.add_argument("--sdist", action="store_true", help="also build the source distribution")
    parser.add_argument("--out", required=True, help="the folder for the wheel")
    arguments = parser.parse_args()
    os.makedirs(arguments.out, exist_ok=True)
    print(make_wheel(arguments.out, arguments.platform, arguments.library))
    if arguments.sdist:
        print(build_sdist(arguments.out))


if __name__ == "__main__":
    main()
