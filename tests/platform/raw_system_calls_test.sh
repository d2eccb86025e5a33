#!/bin/bash
# Files are opened and read, and signals caught, only through platform/os, which holds the one
# policy for each (close-on-exec and links, short reads and EINTR, the stop signals). Fails
# naming every place elsewhere that calls open, read, pread or sigaction itself.
set -euo pipefail
cd "${1:?usage: raw_system_calls_test.sh <source folder>}"

found=0
while IFS= read -r -d '' file; do
    case "$file" in platform/os/*) continue ;; esac
    # Comments are left out: they may name the calls.
    if sed 's#//.*##' "$file" | grep -nE '(^|[^A-Za-z0-9_.>])(::)?(open|read|pread|sigaction)[[:space:]]*\(' \
        | sed "s#^#$file:#"; then
        found=1
    fi
done < <(find app engine chart image platform -name '*.cpp' -print0 -o -name '*.h' -print0)

if [ "$found" = 1 ]; then
    echo "open, read, pread and sigaction belong in platform/os (OpenFile, ReadUpTo, ReadUpToAt, CatchStopSignals)" >&2
    exit 1
fi
