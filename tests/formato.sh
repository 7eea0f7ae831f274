#!/usr/bin/env bash
# The code keeps the house style (.clang-format): any drift fails here.
# The tree is formatted with clang-format 14 (Debian 12's); another major
# version lays some lines out differently, so it skips rather than misjudge.
set -euo pipefail
cd "$1"
version=$(clang-format --version | grep -o 'version [0-9]*' | grep -o '[0-9]*$')
if [ "$version" != 14 ]; then
  echo "formato: clang-format $version is not 14; style not checked"
  exit 77
fi
find src tests bench fuzz \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) -print0 |
  xargs -0 clang-format --dry-run --Werror
