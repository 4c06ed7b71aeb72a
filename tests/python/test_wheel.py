"""`pip wheel .` makes a wheel that installs into a fresh virtual environment
and converts there (built with the build tools of the project's environment,
so that the test needs no network)."""

import os
import subprocess
import sys
import venv

from conftest import ROOT


def test_the_wheel_installs_into_a_fresh_environment_and_converts(tmp_path):
    build = os.environ.get("SORVIK_WHEEL_BUILD", str(tmp_path / "build"))
    subprocess.run([sys.executable, "-m", "pip", "wheel", "-q", "--no-build-isolation", "--no-deps",
                    f"--config-settings=build-dir={build}", "-w", str(tmp_path / "dist"), str(ROOT)], check=True)
    (wheel,) = (tmp_path / "dist").glob("sorvik-*.whl")
    venv.create(tmp_path / "env", with_pip=True)
    python = str(tmp_path / "env" / "bin" / "python")
    subprocess.run([python, "-m", "pip", "install", "-q", "--no-index", "--disable-pip-version-check", str(wheel)],
                   check=True)
    env = {k: v for k, v in os.environ.items() if k != "PYTHONPATH"}
    out = subprocess.run([python, "-c", "import sorvik, sys; r = sorvik.convert(sys.argv[1]); print(r.ok, r.notes)",
                          str(ROOT / "examples" / "sabah-sarki.sv2")], cwd=tmp_path, env=env, capture_output=True,
                         text=True, check=True).stdout
    assert out == "True 55\n"
