"""music21 reads the music21 variant: every note of the examples at the exact
pitch that the document writes; and the README's example runs."""

import os
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

import pytest
import sorvik

from conftest import EXAMPLES, ROOT, variant_or_skip

STEPS = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}


def written_pitches(document):
    """Each pitched note's MIDI number with its alter, as the document writes it."""
    pitches = []
    for pitch in ET.fromstring(document).iter("pitch"):
        alter = pitch.findtext("alter")
        octave = int(pitch.findtext("octave"))
        pitches.append(12 * (octave + 1) + STEPS[pitch.findtext("step")] + (float(alter) if alter else 0.0))
    return pitches


@pytest.mark.parametrize("example", EXAMPLES, ids=lambda p: p.name)
def test_to_music21_keeps_every_note_at_its_exact_pitch(example, music21):
    variant_or_skip("music21")
    written = written_pitches(sorvik.convert(example, variant="music21").document)
    score = sorvik.to_music21(example)
    assert isinstance(score, music21.stream.Score)
    read = [n.pitch.ps for n in score.recurse().notes]
    assert len(read) == len(written) > 40
    for i, (r, w) in enumerate(zip(read, written)):
        assert abs(r - w) < 1e-4, f"note {i + 1}: music21 reads {r}, the document writes {w}"  # 0.01 cent


def test_the_readme_example_runs(music21):
    variant_or_skip("music21")
    readme = (ROOT / "README.md").read_text(encoding="utf-8")
    section = readme[readme.index("\n## In Python\n"):]
    code = re.search(r"```python\n(.*?)```", section, re.S).group(1)
    out = subprocess.run([sys.executable, "-c", code], cwd=ROOT, env=os.environ, capture_output=True, text=True,
                         check=True).stdout
    lines = out.splitlines()
    assert [line.split(":")[0] for line in lines] == [p.name for p in EXAMPLES]
    for line in lines:
        assert re.fullmatch(r"[\w-]+\.sv2: -?\d+ \(\d+×\)(, -?\d+ \(\d+×\)){2}", line), line
