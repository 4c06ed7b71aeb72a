#!/usr/bin/env bash
# The README's library example is examples/library/convert.cpp as it stands,
# and, built, it converts the bundled song to the print variant byte for byte.
set -euo pipefail
example=$1 source=$2 readme=$3 song=$4 expected=$5
python3 - "$source" "$readme" <<'PY'
import sys
code = open(sys.argv[1]).read()
readme = open(sys.argv[2]).read()
block = "```cpp\n" + code + "```\n"
sys.exit(0 if block in readme else "README's library example differs from " + sys.argv[1])
PY
"$example" "$(basename "$song")" < "$song" | cmp - "$expected"
echo "library example: same document"
