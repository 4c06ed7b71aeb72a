"""The converter's library; use the package sorvik."""

import os
from typing import Dict, List, Literal, Optional, Tuple, Union

banner: str

class Diagnostic:
    """An error or a warning of a conversion."""

    @property
    def kind(self) -> Literal["error", "warning"]: ...
    @property
    def line(self) -> int:
        """The count of non-empty lines read when it was raised (it can name a
        line a few lines before the one at fault)."""
    @property
    def message(self) -> str:
        """The text after "Error in Line 000012: " or "Warning in Line 000012: "."""

class Hint:
    """A line that converted without a message into what its writer probably
    did not mean."""

    @property
    def line(self) -> int:
        """The count of non-empty lines read, as in a Diagnostic."""
    @property
    def kind(self) -> str:
        """A short fixed name of the trap, such as "position-point-zero"."""
    @property
    def text(self) -> str:
        """What the converter did and how to write what was probably meant."""

class Result:
    """What one conversion gave: the document, the messages and the counts."""

    @property
    def document(self) -> bytes:
        """The MusicXML document, as the tools write it (unfinished, with the
        error as its last line, after an error)."""
    @property
    def status(self) -> int:
        """The tools' exit status: 0 at the normal end, 1 after an error."""
    @property
    def ok(self) -> bool:
        """True when the conversion ended normally (with a warning at most)."""
    @property
    def diagnostics(self) -> List[Diagnostic]:
        """The error and the warning, as data; an error is always the last."""
    @property
    def hints(self) -> List[Hint]:
        """Lines that converted without a message into what was probably not
        meant, in the order of their lines (docs/messages.md, "Hints")."""
    @property
    def console(self) -> str:
        """What SorvikToMusicXml prints for the same score and options, from the
        banner to "Lines:"."""
    @property
    def lines(self) -> int:
        """Non-empty lines interpreted."""
    @property
    def notes(self) -> int:
        """Notes written, grace notes included (rests are not notes)."""
    @property
    def text_replaced(self) -> bool:
        """Text bytes that are not UTF-8 went into the document as U+FFFD (try
        encoding="windows-1254")."""
    @property
    def name(self) -> str:
        """The score's name in the messages and in the document."""
    def save(self, path: Union[str, os.PathLike[str]]) -> None:
        """Writes the document to the file at `path`; raises OSError."""

class Settings:
    """The options of a conversion, checked."""

    def __init__(self, *, variant: str, arrows: bool, strict_bars: bool, instrument: int, encoding: str) -> None: ...

_NativeSource = Tuple[bytes, Optional[bytes], Optional[bytes]]

def convert(settings: Settings, source: _NativeSource) -> Result:
    """Converts one source: (name, path, data) as bytes, one of path and data None."""

class Pool:
    """Conversions of many sources on worker threads, taken in order."""

    def __init__(self, settings: Settings, sources: List[_NativeSource], jobs: int) -> None: ...
    def next(self) -> Optional[Result]:
        """The next source's result in order (OSError for a file that cannot be
        read); None after the last."""

def command_line_keywords(args: List[bytes]) -> Dict[str, Union[str, bool, int]]:
    """The keyword arguments of convert() that the arguments of SorvikToMusicXml ask for."""
