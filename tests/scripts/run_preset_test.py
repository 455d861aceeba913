#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""scripts/run.sh, the way a user starts the editor, builds it with a preset that optimises and
starts the program that preset builds."""
import json
import re
import sys
from pathlib import Path

source = Path(sys.argv[1])
script = (source / "scripts/run.sh").read_text()
presets = json.loads((source / "CMakePresets.json").read_text())["configurePresets"]
presets = {p["name"]: p for p in presets}

configured = re.findall(r"cmake --preset (\S+)", script)
built = re.findall(r"cmake --build --preset (\S+)", script)
started = re.findall(r"^exec (\S+)", script, re.MULTILINE)
assert len(configured) == 1 and built == configured, (configured, built)
preset = presets[configured[0]]
build_type = preset["cacheVariables"]["CMAKE_BUILD_TYPE"]
assert build_type in ("Release", "RelWithDebInfo"), f"run.sh builds a {build_type} program"
binary_dir = preset["binaryDir"].replace("${sourceDir}/", "")
assert started and started[0].startswith(binary_dir + "/"), (started, binary_dir)
print(f"run.sh builds preset {configured[0]} ({build_type}) and starts {started[0]}")
