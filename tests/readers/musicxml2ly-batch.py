"""Converts MusicXML documents to LilyPond with LilyPond's musicxml2ly, all in
this one process, and reports on standard output for each document in turn:
  file PATH     the document that the lines up to the next "file" are about
  error TEXT    musicxml2ly stopped (an exception, or an exit status not 0)
  bytes N       size of the LilyPond file it wrote
  rounded N     notes whose alter it cut to whole or half semitones (its
                warning "Language does not support microtones"): it writes
                the whole semitones of the alter toward zero and a half
                semitone only where the rest is exactly one
  done
Each document runs musicxml2ly's own script afresh, with its modules loaded
anew, so that nothing a conversion leaves behind reaches the next; only the
interpreter's start is saved. Run it with the interpreter of musicxml2ly's
first line (Debian's python3), the script's path first:
Usage: python3 musicxml2ly-batch.py /usr/bin/musicxml2ly OUTDIR FILE.xml...
"""
import io
import os
import re
import runpy
import sys


def watch_pitches(script):
    """Loads musicxml2ly's module of pitch names (from the folder its script
    names) with the function that spells a pitch wrapped; returns the set
    that collects the pitches it cuts. A pitch may be spelled twice, so they
    are told apart by identity."""
    folder = re.search(r"sys\.path\.insert \(0, os\.path\.join \('([^']+)', 'python'\)\)",
                       open(script, encoding="utf-8").read())
    if not folder:
        return None
    sys.path.insert(0, os.path.join(folder.group(1), "python"))
    import musicexp

    cut = set()
    spell = musicexp.pitch_generic

    def watched(pitch, names, accidentals):
        rest = pitch.alteration - int(pitch.alteration)
        if rest not in (0, 0.5, -0.5):
            cut.add(id(pitch))
        return spell(pitch, names, accidentals)

    musicexp.pitch_generic = watched
    return cut


def convert(script, source, target):
    """Runs musicxml2ly on source, its messages dropped; returns the number
    of notes whose alter it cut, or None where that cannot be watched. Its
    modules take the standard streams apart as they load (detach()), so each
    run gets streams of its own."""
    loaded, path = set(sys.modules), list(sys.path)
    streams = sys.stdin, sys.stdout, sys.stderr
    sys.stdin = io.TextIOWrapper(open(os.devnull, "rb"))
    sys.stdout, sys.stderr = (io.TextIOWrapper(open(os.devnull, "wb")) for _ in range(2))
    sys.argv = [script, "--loglevel=ERROR", "-o", target, source]
    try:
        cut = watch_pitches(script)
        runpy.run_path(script, run_name="__main__")
    except SystemExit as e:
        if e.code not in (None, 0):
            raise RuntimeError(f"exit status {e.code}") from None
    finally:
        sys.stdin, sys.stdout, sys.stderr = streams
        sys.path[:] = path
        for name in set(sys.modules) - loaded:
            del sys.modules[name]
    return None if cut is None else len(cut)


def main(script, outdir, paths):
    for path in paths:
        print(f"file {path}", flush=True)
        target = os.path.join(outdir, os.path.splitext(os.path.basename(path))[0] + ".ly")
        try:
            cut = convert(script, path, target)
        except Exception as e:
            print(f"error {type(e).__name__}: {' '.join(str(e).split())}")
            continue
        print(f"bytes {os.path.getsize(target) if os.path.exists(target) else 0}")
        if cut is not None:
            print(f"rounded {cut}")
        print("done", flush=True)
    return 0


if __name__ == "__main__":
    if len(sys.argv) < 4:
        sys.exit("usage: musicxml2ly-batch.py MUSICXML2LY OUTDIR FILE.xml...")
    sys.exit(main(sys.argv[1], sys.argv[2], sys.argv[3:]))
