#!/usr/bin/env bash
# The Windows program is one file a user copies and runs: at most 1 MiB, and importing only
# Windows' own DLLs, so that no runtime has to be installed beside it. Windows loads it with
# ASLR, high-entropy ASLR and DEP, and it carries no link time, so every build is the same.
#   tests/windows_binary_test.sh PATH_TO_STAKORA_EXE
set -euo pipefail
exe=${1:?usage: windows_binary_test.sh PATH_TO_STAKORA_EXE}
size=$(stat -c %s "$exe")
[ "$size" -le 1048576 ] || { echo "FAIL: $exe is $size bytes, over 1 MiB"; exit 1; }
echo "ok: $size bytes"
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print toupper($3)}')
for dll in $imports; do
    case $dll in
    KERNEL32.DLL | USER32.DLL | GDI32.DLL | COMCTL32.DLL | OLE32.DLL | OLEAUT32.DLL | OLEACC.DLL | \
        MSVCRT.DLL | ADVAPI32.DLL | UXTHEME.DLL) ;;
    *) echo "FAIL: imports $dll, which Windows does not ship"; exit 1 ;;
    esac
done
echo "ok: imports only" $imports
headers=$(x86_64-w64-mingw32-objdump -p "$exe")
for flag in DYNAMIC_BASE HIGH_ENTROPY_VA NX_COMPAT; do
    grep -qw "$flag" <<<"$headers" || { echo "FAIL: the PE header lacks $flag"; exit 1; }
done
grep -q 'Time/Date.*1970' <<<"$headers" || { echo "FAIL: the PE header has a link time"; exit 1; }
echo "ok: DYNAMIC_BASE, HIGH_ENTROPY_VA and NX_COMPAT, no link time"
