#!/usr/bin/env bash
# Runs a Windows program under Wine in the test environment and returns its
# exit code:  scripts/wine-run.sh build/win/tests/win/foo_tests.exe ARGS...
# Used as the test launcher of the Windows build; outside an environment it
# brings one up for just this program.
set -euo pipefail

if [[ $# -eq 0 ]]; then
  echo "usage: $0 PROGRAM.exe [ARGS...]" >&2
  exit 2
fi
if [[ "${CLANGSTER_TEST_ENV:-}" != 1 ]]; then
  exec "$(dirname "${BASH_SOURCE[0]}")/with-test-env.sh" "$0" "$@"
fi
if [[ -t 1 ]]; then
  exec wine "$@"
fi
# Into a pipe (ctest): Wine's helper processes that the program may start
# outlive it and would keep the pipe open, so the output goes through a file.
out=$(mktemp "${TMPDIR:-/tmp}/clangster-wine-run-XXXXXX")
trap 'rm -f "$out"' EXIT
set +e
wine "$@" >"$out" 2>&1 </dev/null
status=$?
set -e
cat "$out"
exit "$status"
