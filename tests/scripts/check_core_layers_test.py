#!/usr/bin/env python3
"""Runs scripts/check-core-layers.py on copies of src/core with planted includes."""
import pathlib
import shutil
import subprocess
import sys
import tempfile
import unittest

SOURCE = pathlib.Path(__file__).resolve().parents[2]
SCRIPT = SOURCE / "scripts" / "check-core-layers.py"
ARCHITECTURE = SOURCE / "docs" / "architecture.md"


def check_with(planted):
    """Exit code and error output of the check on a copy of src/core plus `planted` files."""
    with tempfile.TemporaryDirectory() as folder:
        core = pathlib.Path(folder) / "core"
        shutil.copytree(SOURCE / "src" / "core", core)
        for name, text in planted.items():
            (core / name).parent.mkdir(parents=True, exist_ok=True)
            (core / name).write_text(text, encoding="utf-8")
        run = subprocess.run([sys.executable, str(SCRIPT), str(core), str(ARCHITECTURE)],
                             capture_output=True, text=True, check=False)
        return run.returncode, run.stderr


class CheckCoreLayersTest(unittest.TestCase):
    def test_planted_includes(self):
        cases = [
            ("upward include fails", {"link/planted.cpp": '#include "front_end/front_end.h"\n'},
             1, "upward include: link uses front_end (link/planted.cpp includes "
                "front_end/front_end.h)"),
            ("building block using a higher layer fails",
             {"codec/planted.cpp": '#include "document/message_table.h"\n'},
             1, "upward include: codec uses document"),
            ("folder outside the order fails", {"extra/planted.h": '#include "error.h"\n'},
             1, "folder extra/ is not in the written order of layers"),
            ("building blocks use each other", {"config/planted.cpp": '#include "xml/xml_reader.h"\n'},
             0, ""),
            ("sub-folders of link count as link",
             {"link/kind/planted.h": '#include "link/transport.h"\n',
              "link/planted.cpp": '#include "link/kind/planted.h"\n'},
             0, ""),
        ]
        for name, planted, code, error in cases:
            with self.subTest(name):
                got_code, got_error = check_with(planted)
                self.assertEqual(got_code, code, got_error)
                self.assertIn(error, got_error)


if __name__ == "__main__":
    unittest.main()
