#!/usr/bin/env bash
# Runs a Windows program under Wine, as CTest's emulator for the cross-built tests, in a Wine
# session of its own (tests/wine_session.sh). The program's exit code is this script's.
#   tests/wine_run.sh PROGRAM.exe [ARGUMENTS...]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine_session.sh"
status=0
"$WINE" "$@" || status=$?
exit $status
