"""The package's API as its callers use it: sources as paths and bytes, both
encodings, faulty scores and files, saving, and conversions on many threads."""

import os
import pathlib
import threading

import pytest
import sorvik

from conftest import EXAMPLES, case_args, case_dirs

SABAH = pathlib.Path(EXAMPLES[0]).parent / "sabah-sarki.sv2"


def test_paths_and_bytes_give_one_document():
    data = SABAH.read_bytes()
    want = sorvik.convert(data, name="sabah-sarki.sv2")
    assert want.ok and want.notes == 55 and want.lines == 69
    for source in (str(SABAH), SABAH, bytearray(data), memoryview(data)):
        result = sorvik.convert(source, name="sabah-sarki.sv2")
        assert (result.document, result.console) == (want.document, want.console)
    # The default names: the path as given, "score.sv2" for bytes.
    assert f"Reading {SABAH}\n" in sorvik.convert(SABAH).console
    assert sorvik.convert(data).console.splitlines()[1:3] == ["Reading score.sv2", "Writing to score.xml"]


def test_both_encodings(tmp_path):
    utf8 = SABAH.read_bytes()
    cp1254 = utf8.decode("utf-8").encode("cp1254")
    assert cp1254 != utf8  # the song has Turkish letters
    want = sorvik.convert(utf8).document
    (tmp_path / "old.sv2").write_bytes(cp1254)
    for encoding in ("windows-1254", "CP1254", "latin5"):
        assert sorvik.convert(cp1254, encoding=encoding).document == want
        assert sorvik.convert(tmp_path / "old.sv2", name="score.sv2", encoding=encoding).document == want
    misread = sorvik.convert(cp1254)
    assert misread.ok and misread.text_replaced and not sorvik.convert(utf8).text_replaced
    with pytest.raises(ValueError, match="encoding"):
        sorvik.convert(utf8, encoding="koi8-r")
    with pytest.raises(ValueError, match="variant"):
        sorvik.convert(utf8, variant="lilypond")


def test_a_faulty_score_is_data_not_an_exception():
    lines = SABAH.read_bytes().split(b"\n")
    lines[30] = lines[30].replace(b"\t", b"", 2)  # a note line with two fields too few
    result = sorvik.convert(b"\n".join(lines))
    assert not result.ok and result.status == 1
    error = result.diagnostics[-1]
    assert error.kind == "error" and error.line > 0 and "TAB" in error.message
    assert result.document.endswith(error.message.encode() + b"\r\n")  # the unfinished document, as the tool leaves it
    with pytest.raises(sorvik.ConversionError) as raised:
        sorvik.to_music21(b"\n".join(lines))
    assert (raised.value.line, raised.value.message) == (error.line, error.message)


def test_hints_name_the_line_the_trap_and_what_to_write():
    score = (b"4\t4\t\t\t\t\t\t\t\t\n60\t\t\t\t\t\t\tSong\t\t\n9\tla4\t1\t4\t0\t0\t0\tge-\t\t0.25\n"
             b"9\tla4\t1\t4\t0\t0\t0\t\t\t0.5\n9\tla4\t1\t2\t0\t0\t0\t\t\t1.0\n")
    result = sorvik.convert(score)
    assert result.ok and not result.diagnostics  # a hint is no message
    assert [(h.line, h.kind) for h in result.hints] == [(3, "marker-sign-in-lyric"), (5, "position-point-zero")]
    assert result.hints[1].text == ('The position "1.0" puts this note into the measure that starts on the bar '
                                    'line 1, although it ends there: write "1".')
    assert isinstance(result.hints[0], sorvik.Hint) and "position-point-zero" in repr(result.hints[1])
    assert all(not sorvik.convert(p).hints for p in EXAMPLES)


def test_a_file_that_cannot_be_read_raises_oserror(tmp_path):
    with pytest.raises(FileNotFoundError) as raised:
        sorvik.convert(tmp_path / "missing.sv2")
    assert raised.value.filename == str(tmp_path / "missing.sv2")
    with pytest.raises(IsADirectoryError):
        sorvik.convert(tmp_path)
    with pytest.raises(FileNotFoundError):
        sorvik.convert("")
    with pytest.raises(TypeError):
        sorvik.convert(42)
    # convert_many raises at the file's turn and goes on after it.
    many = sorvik.convert_many([SABAH, tmp_path / "missing.sv2", SABAH], jobs=2)
    assert next(many)[1].ok
    with pytest.raises(FileNotFoundError):
        next(many)
    assert next(many)[1].ok
    with pytest.raises(StopIteration):
        next(many)


def test_save_writes_the_document(tmp_path):
    result = sorvik.convert(SABAH)
    result.save(tmp_path / "out.xml")
    assert (tmp_path / "out.xml").read_bytes() == result.document
    with pytest.raises(FileNotFoundError):
        result.save(str(tmp_path / "no" / "out.xml"))


def all_scores():
    scores = [p.read_bytes() for p in EXAMPLES]
    for case in case_dirs():
        score = case / "in" / case_args(case)[0].decode("utf-8", "surrogateescape") if case_args(case) else None
        if score and score.is_file():
            scores.append(score.read_bytes())
    return scores


def test_many_threads_at_once():
    scores = all_scores()
    want = [sorvik.convert(s, variant="musescore", arrows=True).document for s in scores]
    # convert_many on its own threads, in the order of the sources, with few
    # slots ahead of a slow reader.
    got = [(source, r.document) for source, r in sorvik.convert_many(scores, jobs=3, variant="musescore", arrows=True)]
    assert got == list(zip(scores, want))
    # And Python threads that convert at once.
    results = [None] * len(scores)

    def run(first):
        for i in range(first, len(scores), 8):
            results[i] = sorvik.convert(scores[i], variant="musescore", arrows=True).document

    threads = [threading.Thread(target=run, args=(k,)) for k in range(8)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert results == want


def test_convert_many_may_be_left_unfinished():
    many = sorvik.convert_many([SABAH] * 200, jobs=os.cpu_count() or 2)
    assert next(many)[1].ok
    del many  # the workers stop and are joined


def test_a_fifo_is_refused_at_once(tmp_path):
    os.mkfifo(tmp_path / "pipe.sv2")
    with pytest.raises(OSError, match=f"^Cannot read {tmp_path}/pipe.sv2: Not a regular file$"):
        sorvik.convert(tmp_path / "pipe.sv2")
