#!/usr/bin/env bash
# Checks every C++ file's formatting against .clang-format, then runs
# clang-tidy (.clang-tidy) over the program's own code with the compile
# commands of the clang cross-build; exits non-zero on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror
echo "clang-format: every file formatted"
cmake --preset mingw-clang >/dev/null
sources=$(git ls-files 'platform/*.cpp' 'registry/*.cpp' 'actions/*.cpp' 'ui/*.cpp')
# Only the compile commands are needed: nothing is built.
echo "clang-tidy: $(echo "$sources" | wc -l) files"
# Findings go to standard output; only the count of system-header warnings,
# which are not findings, is dropped.
echo "$sources" | xargs -P "$(nproc)" -n 4 clang-tidy -p build/mingw-clang --quiet 2>&1 |
    { grep -v '^[0-9]* warnings\? generated\.$' || true; }
echo "clang-tidy: no findings"
