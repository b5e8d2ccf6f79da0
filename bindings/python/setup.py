"""The package's version comes from the one place the project sets it: the top CMakeLists.txt."""
import pathlib
import re

from setuptools import setup

cmake = pathlib.Path(__file__).resolve().parent.parent.parent / "CMakeLists.txt"
version = re.search(r"project\(Calvoro\s+VERSION\s+([0-9]+\.[0-9]+\.[0-9]+)", cmake.read_text())
if version is None:
    raise SystemExit(f"no 'project(Calvoro VERSION x.y.z)' in {cmake}")
setup(version=version.group(1))
