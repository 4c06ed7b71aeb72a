"""SorvikToMusicXml in Python: Sorvik scores (.sv2) to MusicXML 3.0 documents.

    >>> import sorvik
    >>> result = sorvik.convert("songs/sabah-sarki.sv2")
    >>> result.ok, result.notes
    (True, 55)
    >>> score = sorvik.to_music21("songs/sabah-sarki.sv2")   # needs music21

Every conversion gives the bytes and messages of the command-line tools. An
error in a score is data (``Result.ok`` is False); a file that cannot be read
raises OSError. ``Result.hints`` names the lines that converted without a
message into what their writer probably did not mean. Conversions run without the interpreter's lock, so threads
convert at once; ``convert_many`` converts on threads of its own.
"""

from __future__ import annotations

import os

from . import _sorvik
from ._sorvik import Diagnostic, Hint, Result

TYPE_CHECKING = False
if TYPE_CHECKING:  # typing is not imported at run time: it takes longer to load than the module
    from typing import Iterable, Iterator, List, Optional, Tuple, Union

    import music21

    #: A score: its bytes, or the path of its file.
    Source = Union[bytes, bytearray, memoryview, str, os.PathLike[str]]

__all__ = ["convert", "convert_many", "to_music21", "Result", "Diagnostic", "Hint", "ConversionError"]
__version__ = "0.920"

_BYTES_NAME = "score.sv2"


class ConversionError(ValueError):
    """The score has an error: ``line`` and ``message`` are the error's, and
    ``diagnostics`` are all the conversion's messages."""

    def __init__(self, name: str, diagnostics: List[Diagnostic]) -> None:
        self.name = name
        self.line: int = diagnostics[-1].line if diagnostics else 0
        self.message: str = diagnostics[-1].message if diagnostics else "the conversion failed"
        self.diagnostics = diagnostics
        super().__init__(f"{name}, line {self.line}: {self.message}")


def _settings(variant: str, arrows: bool, strict_bars: bool, instrument: int, encoding: str) -> _sorvik.Settings:
    return _sorvik.Settings(variant=variant, arrows=bool(arrows), strict_bars=bool(strict_bars),
                            instrument=instrument, encoding=encoding)


def _as_native(source: Source, name: Optional[str]) -> Tuple[bytes, Optional[bytes], Optional[bytes]]:
    """(name, path, data) as the module takes them; names and paths as bytes,
    so that a file name that is not UTF-8 passes unchanged."""
    if isinstance(source, (bytes, bytearray, memoryview)):
        return os.fsencode(name if name is not None else _BYTES_NAME), None, bytes(source)
    path = os.fsencode(source)  # TypeError for anything that is no path
    return os.fsencode(name) if name is not None else path, path, None


def convert(source: Source, *, name: Optional[str] = None, variant: str = "exact", arrows: bool = False,
            strict_bars: bool = False, instrument: int = 1, encoding: str = "utf-8") -> Result:
    """Converts one score into a MusicXML document.

    ``source`` is the score's bytes, or the path (``str`` or ``os.PathLike``)
    of its file. ``name`` names it in the messages and in the document (by
    default the path as given, or ``"score.sv2"`` for bytes). ``variant`` is
    ``"exact"`` (the exact 53-comma alters), ``"musescore"`` (the print
    variant for MuseScore, the tool's ``-P``) or ``"music21"`` (for music21
    and other analysis software). ``arrows`` marks comma inflections with
    arrows (``-A``); ``strict_bars`` makes a failed bar check an error
    (``-M``); ``instrument`` is the part's MIDI program (``-I``);
    ``encoding`` is ``"utf-8"`` or ``"windows-1254"`` (also ``"cp1254"``,
    ``"iso-8859-9"``, ``"latin5"``), the code page of older Turkish
    collections, turned into UTF-8 before the conversion.

    An error in the score gives a Result whose ``ok`` is False; a file that
    cannot be read raises OSError; an unknown variant or encoding ValueError.
    """
    return _sorvik.convert(_settings(variant, arrows, strict_bars, instrument, encoding), _as_native(source, name))


class _Conversions:
    def __init__(self, sources: List[Source], pool: _sorvik.Pool) -> None:
        self._sources = sources
        self._pool = pool
        self._next = 0

    def __iter__(self) -> _Conversions:
        return self

    def __next__(self) -> Tuple[Source, Result]:
        if self._next >= len(self._sources):
            raise StopIteration
        source = self._sources[self._next]
        self._next += 1
        result = self._pool.next()
        assert result is not None  # the pool has as many results as sources
        return source, result


def convert_many(sources: Iterable[Source], *, jobs: Optional[int] = None, variant: str = "exact",
                 arrows: bool = False, strict_bars: bool = False, instrument: int = 1,
                 encoding: str = "utf-8") -> Iterator[Tuple[Source, Result]]:
    """Converts many scores on ``jobs`` threads (default: one per core).

    Gives ``(source, result)`` pairs in the order of ``sources``, each as soon
    as it and those before it are done; the conversions run ahead of the
    reader by a few per thread, so memory does not grow with the number of
    sources. The options are those of :func:`convert` (each source is named by
    its path, bytes as ``"score.sv2"``). A file that cannot be read raises
    OSError when its turn comes; the iterator then goes on with the next.
    """
    listed = list(sources)
    if jobs is None:
        jobs = len(os.sched_getaffinity(0)) if hasattr(os, "sched_getaffinity") else (os.cpu_count() or 1)
    if jobs < 1:
        raise ValueError(f"jobs must be at least 1, not {jobs}")
    settings = _settings(variant, arrows, strict_bars, instrument, encoding)
    return _Conversions(listed, _sorvik.Pool(settings, [_as_native(s, None) for s in listed], jobs))


def to_music21(source: Source, *, name: Optional[str] = None, arrows: bool = False, strict_bars: bool = False,
               instrument: int = 1, encoding: str = "utf-8") -> "music21.stream.Score":
    """Converts one score in the music21 variant and reads it with music21.

    Every note keeps its exact 53-comma pitch (``pitch.microtone``). The
    options are those of :func:`convert`. Raises :class:`ConversionError`
    when the score has an error, OSError when its file cannot be read, and
    ImportError when music21 is not installed (``pip install "sorvik[music21]"``).
    """
    result = convert(source, name=name, variant="music21", arrows=arrows, strict_bars=strict_bars,
                     instrument=instrument, encoding=encoding)
    if not result.ok:
        raise ConversionError(result.name, result.diagnostics)
    from music21 import converter, stream

    score = converter.parseData(result.document.decode("utf-8"), format="musicxml")
    assert isinstance(score, stream.Score)  # a document of one part
    return score
