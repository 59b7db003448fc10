#!/usr/bin/env bash
# Runs a command inside the test environment (X display, PulseAudio null sink
# "clangster_sink", Wine prefix), then stops whatever was started for it.
#   scripts/with-test-env.sh ctest --test-dir build/win
# Inside an environment that is already up, the command simply runs.
set -euo pipefail

if [[ $# -eq 0 ]]; then
  echo "usage: $0 COMMAND [ARGS...]" >&2
  exit 2
fi
if [[ "${CLANGSTER_TEST_ENV:-}" == 1 ]]; then
  exec "$@"
fi
# ctest lists a test program's cases through this script too; that needs
# no environment.
if [[ " $* " == *" --gtest_list_tests "* ]]; then
  exec "$@"
fi

source "$(dirname "${BASH_SOURCE[0]}")/test-env.sh"

trap clangster_env_down EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
clangster_env_up
set +e
"$@"
status=$?
set -e
exit "$status"
