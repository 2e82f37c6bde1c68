#!/usr/bin/env bash
# Fails when a C++ file differs from the layout in .clang-format, and lists the
# files. "tools/check-format.sh --fix" rewrites them instead.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || tools/install-deps.sh clang-format
# New files count before they are added, so that --fix reaches them too.
mapfile -t files < <(git ls-files --cached --others --exclude-standard '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
bad=()
for f in "${files[@]}"; do
  clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ ${#bad[@]} -gt 0 ]; then
  printf 'Not in the house layout (tools/check-format.sh --fix rewrites them):\n' >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
echo "All ${#files[@]} C++ files are in the house layout."
