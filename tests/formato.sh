#!/usr/bin/env bash
# The code keeps the house style (.clang-format): any drift fails here.
set -euo pipefail
cd "$1"
find src tests bench fuzz \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) -print0 |
  xargs -0 clang-format --dry-run --Werror
