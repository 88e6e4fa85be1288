"""The package as a user installs it: a clean virtual environment, pip offline,
and the installed `arx` console script talking to arx-sim."""
from __future__ import annotations

import json
import os
import shutil
import subprocess
from pathlib import Path

import arx
from conftest import PACKAGE_DIR, simulator

# Debian's interpreter: its venv module and setuptools, which the offline
# install builds with (no build isolation, so nothing is fetched).
SYSTEM_PYTHON = "/usr/bin/python3"


def test_installed_console_script_reads_the_version_from_arx_sim(tmp_path: Path) -> None:
    # pip builds in the source folder it is given: build a copy, so the
    # checkout stays clean and parallel tests never see half-built files.
    source = tmp_path / "source"
    shutil.copytree(PACKAGE_DIR, source, ignore=shutil.ignore_patterns("__pycache__", "build", "*.egg-info", "*.so*"))
    venv = tmp_path / "venv"
    # Debian's pip and setuptools come from the system site; a pip of the
    # environment's own would add seconds and change nothing.
    subprocess.run([SYSTEM_PYTHON, "-m", "venv", "--system-site-packages", "--without-pip", str(venv)], check=True,
                   timeout=60)
    env = {"PATH": f"{venv / 'bin'}:/usr/bin:/bin", "HOME": str(tmp_path), "PIP_NO_INDEX": "1",
           "PIP_DISABLE_PIP_VERSION_CHECK": "1", "ARX_LIBRARY": os.environ["ARX_LIBRARY"]}

    def run(program: str, *args: str) -> subprocess.CompletedProcess:
        return subprocess.run([str(venv / "bin" / program), *args], env=env, cwd=tmp_path, capture_output=True,
                              text=True, timeout=120)

    install = run("python", "-m", "pip", "install", "--no-build-isolation", "--no-deps", "--quiet", str(source))
    assert install.returncode == 0, install.stdout + install.stderr
    with simulator() as port:
        done = run("arx", "version", "--json", "--port", str(port))
    assert done.returncode == 0, done.stderr
    version = json.loads(done.stdout)
    assert version["library"] == arx.__version__ and version["controller"]["plan"]
    # The console script's exit status is the result code: nothing listens on port 1.
    refused = run("arx", "state", "--port", "1")
    assert (refused.returncode, refused.stdout) == (5, "")
    # The package ran from the environment, not from the checkout.
    where = run("python", "-c", "import arx; print(arx.__file__)").stdout
    assert Path(where.strip()).is_relative_to(venv), where
