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
exec wine "$@"
