"""The package's version. A built wheel carries it written out here; in a source checkout it is
read from the top CMakeLists.txt, where the project sets it once."""
import pathlib
import re

_cmake = pathlib.Path(__file__).resolve().parents[3] / "CMakeLists.txt"
__version__ = re.search(r"project\(Calvoro\s+VERSION\s+([0-9]+\.[0-9]+\.[0-9]+)",
                        _cmake.read_text()).group(1)
