"""Shared paths and helpers of the Python package's tests (run by CTest with
the package of the build tree on PYTHONPATH)."""

import os
import re
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
CASES = ROOT / "tests" / "cases"
EXAMPLES = sorted((ROOT / "examples").glob("*.sv2"))

_MESSAGE = re.compile(rb"^(Error|Warning) in Line (\d+): (.*)$")


def case_dirs():
    return sorted(p.parent for p in CASES.rglob("args"))


def case_args(case):
    """The arguments, one a line, as the end-to-end runner reads them."""
    text = (case / "args").read_bytes()
    lines = text.split(b"\n")
    return lines[:-1] if lines and lines[-1] == b"" else lines


def console_diagnostics(console, name):
    """(kind, line, message) of each error or warning line of the tool's console."""
    found = []
    for line in console.split(b"\n"):
        m = _MESSAGE.match(line)
        if not m:
            continue
        # The console ends an error line with ": ", a warning line with ": " and the file's name.
        suffix = b": " + name if m.group(1) == b"Warning" else b": "
        assert m.group(3).endswith(suffix)
        message = m.group(3)[: -len(suffix)]
        found.append((m.group(1).decode().lower(), int(m.group(2)), message))
    return found


def diagnostics_of(result):
    return [(d.kind, d.line, d.message.encode("utf-8", "surrogateescape")) for d in result.diagnostics]


def variant_or_skip(variant):
    """Skips a test of a variant that this build of the library does not have."""
    import sorvik

    try:
        sorvik.convert(b"", variant=variant)
    except ValueError:
        pytest.skip(f'the library has no variant "{variant}" yet')


@pytest.fixture
def music21():
    return pytest.importorskip("music21")


def batch_tool():
    path = os.environ.get("SORVIK_BATCH")
    if not path or not Path(path).exists():
        pytest.skip("SORVIK_BATCH does not name the sorvik-batch executable")
    return path
