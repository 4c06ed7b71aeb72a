"""Every end-to-end case's score, converted by the package, gives the tools'
bytes and messages: those the case expects of SorvikToMusicXml with its
arguments (or of the library in the variant the case names), and those of
sorvik-batch in each variant."""

import csv
import shutil
import subprocess

import pytest
import sorvik

from conftest import CASES, batch_tool, case_args, case_dirs, console_diagnostics, diagnostics_of, variant_or_skip


def convertible(case):
    """The cases whose score is a regular file (the others test the tool's file handling)."""
    args = case_args(case)
    return args and args[0] and (case / "in" / args[0].decode("utf-8", "surrogateescape")).is_file()


CONVERTIBLE = [c for c in case_dirs() if convertible(c)]


@pytest.mark.parametrize("case", CONVERTIBLE, ids=lambda c: str(c.relative_to(CASES)))
def test_case_as_the_single_tool_converts_it(case):
    args = case_args(case)
    name = args[0].decode("utf-8", "surrogateescape")
    keywords = sorvik._sorvik.command_line_keywords(args)
    if (case / "variant").exists():  # a case of a variant that the single tool has no switch for
        keywords["variant"] = (case / "variant").read_text().strip()
    result = sorvik.convert(case / "in" / name, name=name, **keywords)
    console = (case / "console").read_bytes()
    if b"\nCannot " in console:  # a document the tool could not write: that is the tool's file handling
        return
    assert result.status == int((case / "status").read_text())
    expected = console_diagnostics(console, args[0])
    switch = args[1] if len(args) > 1 else b""
    got = diagnostics_of(result)
    assert (got if switch != b"-Q" else [d for d in got if d[0] == "error"]) == expected  # -Q prints no warning
    if switch not in (b"-q", b"-Q"):
        rest = console[len(result.console.encode("utf-8", "surrogateescape")):]
        assert console.startswith(result.console.encode("utf-8", "surrogateescape"))
        assert rest in (b"", b"Press CR to terminate\n")
    documents = [p for p in (case / "out").rglob("*") if p.is_file() and "Errors" not in p.relative_to(case).parts]
    assert len(documents) <= 1
    if documents:
        assert result.document == documents[0].read_bytes()


BATCH_SWITCHES = {"exact": [], "musescore": ["-P"], "music21": ["--music21"]}


@pytest.mark.parametrize("variant", BATCH_SWITCHES)
def test_every_case_score_in_each_variant_as_sorvik_batch_converts_it(variant, tmp_path):
    batch = batch_tool()
    variant_or_skip(variant)
    names = []
    (tmp_path / "in").mkdir()
    for case in CONVERTIBLE:
        name = "in/" + "__".join(case.relative_to(CASES).parts) + ".sv2"
        shutil.copyfile(case / "in" / case_args(case)[0].decode("utf-8", "surrogateescape"), tmp_path / name)
        names.append(name)
    subprocess.run([batch, "-q", "-j", "2", *BATCH_SWITCHES[variant], "-o", "out", "--report", "report.csv", "in"],
                   cwd=tmp_path, stdout=subprocess.DEVNULL)
    with open(tmp_path / "report.csv", newline="", encoding="utf-8", errors="surrogateescape") as f:
        rows = {row["input"]: row for row in csv.DictReader(f)}
    assert sorted(rows) == sorted(names)

    for (_, result), name in zip(sorvik.convert_many([tmp_path / n for n in names], variant=variant), names):
        row = rows[name]
        # The report is UTF-8: a byte that is not is U+FFFD there.
        diagnostics = [(k, n, m.decode("utf-8", "replace")) for k, n, m in diagnostics_of(result)]
        if row["status"] in ("error", "warning") and row["message"] != "Text is not UTF-8; try --encoding windows-1254":
            assert diagnostics[-1] == (row["status"], int(row["line"]), row["message"]), name
        else:
            assert result.ok and not diagnostics, name
        assert result.ok == (row["status"] != "error"), name
        hints = "\n".join(f"line {h.line}: {h.text}" for h in result.hints)
        assert row["hints"] == hints.encode("utf-8", "surrogateescape").decode("utf-8", "replace"), name
        if row["output"]:
            assert result.document == (tmp_path / row["output"]).read_bytes(), name
