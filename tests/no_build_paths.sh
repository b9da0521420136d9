#!/bin/sh
# usage: no_build_paths.sh STRINGS SOURCE_DIR BUILD_DIR BINARY...
# Fails when a binary's loaded data holds the source or build folder's path, in
# 8-bit or in UTF-16 (QStringLiteral) text, other than as the name of a source file.
strings=$1 source=$2 build=$3
shift 3
status=0
for binary in "$@"; do
    for encoding in s l; do
        if ! text=$("$strings" -d -e "$encoding" "$binary"); then
            echo "$strings could not read $binary"
            status=1
            continue
        fi
        found=$(printf '%s\n' "$text" | grep -F -e "$source" -e "$build" | grep -Ev '\.(c|cc|cpp|h|hpp|moc)$')
        if [ -n "$found" ]; then
            echo "$binary holds a path of the machine that built it:"
            echo "$found"
            status=1
        fi
    done
done
exit $status
