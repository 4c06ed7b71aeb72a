"""Reads MusicXML documents with music21 (the version that scripts/setup pins
into .venv) and reports on standard output, one item a line, for each
document in turn:
  file PATH     the document that the lines up to the next "file" are about
  error TEXT    music21 refused the document (nothing else follows)
  measures N    measures of its parts
  note STEP OCTAVE ALTER ACCIDENTAL TIE   each note in order, grace notes
                included: the pitch as music21 holds it (ALTER in semitones,
                microtones included, with every digit), the name of its
                accidental ("-" for none) and its tie (start, stop,
                continue or "-")
  lyric TEXT    each lyric of the note above, in order
  done
Usage: .venv/bin/python music21-read.py FILE.xml...
"""
import sys
import warnings

from music21 import converter


def report(path):
    score = converter.parse(path, format="musicxml", forceSource=True)
    measures = 0
    for part in score.parts:
        part_measures = list(part.getElementsByClass("Measure"))
        measures += len(part_measures)
        for measure in part_measures:
            for note in measure.recurse().notes:
                pitch = note.pitch
                accidental = pitch.accidental.name if pitch.accidental is not None else "-"
                tie = note.tie.type if note.tie is not None else "-"
                print(f"note {pitch.step} {pitch.octave} {pitch.alter!r} {accidental} {tie}")
                for lyric in note.lyrics:
                    print(f"lyric {lyric.text}")
    print(f"measures {measures}")


def main(paths):
    warnings.simplefilter("ignore")
    for path in paths:
        print(f"file {path}", flush=True)
        try:
            report(path)
        except Exception as e:  # music21 stops a document at its first fault
            print(f"error {type(e).__name__}: {' '.join(str(e).split())}")
            continue
        print("done", flush=True)
    return 0


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit("usage: music21-read.py FILE.xml...")
    sys.exit(main(sys.argv[1:]))
