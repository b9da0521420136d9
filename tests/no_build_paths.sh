#!/bin/sh
# usage: no_build_paths.sh STRINGS SOURCE_DIR BUILD_DIR BINARY...
# Fails when a binary's loaded data holds the source or build folder's path, in 8-bit
# or UTF-16 (QStringLiteral) text, other than as the name of a source file.
strings=$1 source=$2 build=$3 status=0
shift 3
for binary in "$@"; do
    for encoding in s l; do
        text=$("$strings" -d -e "$encoding" "$binary") || status=1
        if printf '%s\n' "$text" | grep -F -e "$source" -e "$build" | grep -Ev '\.(c|cpp|h|moc)$'; then
            echo "^ in $binary: a path of the machine that built it" && status=1
        fi
    done
done
exit $status
