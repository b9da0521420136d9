#!/usr/bin/env bash
# Runs a command on an Xvfb server of its own, with DISPLAY set to it. The server picks
# a free display itself (-displayfd), so runs side by side never take the same one.
# Usage: tools/with-xvfb.sh COMMAND [ARGS...]   ends with the command's status.
# Where Xvfb cannot run it says why and ends with 77, which CTest counts as skipped,
# or with 1 when BIMBALA_REQUIRE_XVFB is set (./dev.sh test installs Xvfb: it must run).
set -uo pipefail

cannot_run() {
    echo "with-xvfb: $1; not run."
    [ -n "${BIMBALA_REQUIRE_XVFB:-}" ] && exit 1
    exit 77
}

command -v Xvfb > /dev/null || cannot_run "Xvfb is not installed (Debian package xvfb)"
dir=$(mktemp -d)
: > "$dir/display"
# -noreset: the server stays as it is when its last client goes, so that a client
# connecting just then (the next program of a benchmark) never meets a server resetting.
Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3> "$dir/display" > "$dir/log" 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2> /dev/null; wait "$xvfb" 2> /dev/null; rm -rf "$dir"' EXIT
# The number is written once the server takes clients, its newline last.
for _ in $(seq 400); do
    [ "$(wc -l < "$dir/display")" -gt 0 ] && break
    kill -0 "$xvfb" 2> /dev/null || break
    sleep 0.05
done
[ "$(wc -l < "$dir/display")" -gt 0 ] || cannot_run "Xvfb did not start: $(tr '\n' ' ' < "$dir/log")"
DISPLAY=:$(cat "$dir/display") "$@"
