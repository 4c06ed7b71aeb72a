"""Converts MusicXML documents to LilyPond with LilyPond's musicxml2ly, all in
this one process, and reports on standard output for each document in turn:
  file PATH     the document that the lines up to the next "file" are about
  error TEXT    musicxml2ly stopped (an exception, or an exit status not 0)
  bytes N       size of the LilyPond file it wrote
  rounded N     notes whose alter it wrote without its part beyond whole or
                half semitones (its warning "Language does not support
                microtones", given once for each such note)
  done
Each document runs musicxml2ly's own script afresh, with its modules loaded
anew, so that nothing a conversion leaves behind reaches the next; only the
interpreter's start is saved. Run it with the interpreter of musicxml2ly's
first line (Debian's python3), the script's path first:
Usage: python3 musicxml2ly-batch.py /usr/bin/musicxml2ly OUTDIR FILE.xml...
"""
import io
import os
import runpy
import sys


def convert(script, source, target):
    """Runs musicxml2ly on source; returns what it printed on standard error.
    Its modules take the standard streams apart as they load (detach()), so
    each run gets streams of its own."""
    loaded = set(sys.modules)
    streams = sys.stdin, sys.stdout, sys.stderr
    messages = io.BytesIO()
    sys.stdin = io.TextIOWrapper(open(os.devnull, "rb"))
    sys.stdout = io.TextIOWrapper(open(os.devnull, "wb"))
    sys.stderr = io.TextIOWrapper(messages)
    sys.argv = [script, "--loglevel=WARNING", "-o", target, source]
    try:
        runpy.run_path(script, run_name="__main__")
    except SystemExit as e:
        if e.code not in (None, 0):
            raise RuntimeError(f"exit status {e.code}") from None
    finally:
        sys.stderr.flush()
        sys.stdin, sys.stdout, sys.stderr = streams
        for name in set(sys.modules) - loaded:
            del sys.modules[name]
    return messages.getvalue().decode("utf-8", "replace")


def main(script, outdir, paths):
    for path in paths:
        print(f"file {path}", flush=True)
        target = os.path.join(outdir, os.path.splitext(os.path.basename(path))[0] + ".ly")
        try:
            messages = convert(script, path, target)
        except Exception as e:
            print(f"error {type(e).__name__}: {' '.join(str(e).split())}")
            continue
        print(f"bytes {os.path.getsize(target) if os.path.exists(target) else 0}")
        print(f"rounded {messages.count('does not support microtones')}")
        print("done", flush=True)
    return 0


if __name__ == "__main__":
    if len(sys.argv) < 4:
        sys.exit("usage: musicxml2ly-batch.py MUSICXML2LY OUTDIR FILE.xml...")
    sys.exit(main(sys.argv[1], sys.argv[2], sys.argv[3:]))
