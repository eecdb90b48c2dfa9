#!/usr/bin/env bash
# Checks every C++ file's formatting against .clang-format, every shell script
# with shellcheck (.shellcheckrc; also where set -e would be suppressed), then
# runs clang-tidy (.clang-tidy) over the program's own code with the compile
# commands of the clang cross-build; exits non-zero on any finding. About 2
# minutes.
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
scripts/install-deps.sh
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror
echo "clang-format: every file formatted"
# The shell scripts: by their ending, or by a shell on their first line.
mapfile -t shell_scripts < <(git ls-files | while read -r file; do
    first_line=$(head -n 1 "$file")
    if [[ $file == *.sh ]] || [[ $first_line =~ ^\#!.*(ba)?sh$ ]]; then
        echo "$file"
    fi
done)
shellcheck --enable=check-set-e-suppressed "${shell_scripts[@]}"
echo "shellcheck: ${#shell_scripts[@]} scripts, no findings"
cmake --preset mingw-clang >/dev/null
sources=$(git ls-files 'platform/*.cpp' 'registry/*.cpp' 'actions/*.cpp' 'ui/*.cpp')
# Only the compile commands are needed: nothing is built.
echo "clang-tidy: $(echo "$sources" | wc -l) files"
# Findings go to standard output; only the count of system-header warnings,
# which are not findings, is dropped.
echo "$sources" | xargs -P "$(nproc)" -n 4 clang-tidy -p build/mingw-clang --quiet 2>&1 |
    { grep -v '^[0-9]* warnings\? generated\.$' || true; }
echo "clang-tidy: no findings"
