#!/usr/bin/env bash
# Start-up benchmark: time from launch until the About window is mapped, and
# resident memory at that moment, against two yardsticks measured in the same run:
# a bare Qt Widgets window that draws no text, and the smallest window that shows
# text (label, entry box, button) in the default font. Font loading weighs on the
# text window as on the program, so that ratio holds from one machine to the next.
# Runs on an Xvfb server of its own; installs what it needs when run as root.
# Usage: bench/startup.sh [RUNS]   (default 9)
set -euo pipefail
cd "$(dirname "$0")/.."

# Where the build leaves the program.
program=build-bench/bin/bimbala
yardsticks=build-bench/yardstick

if [ "${1:-}" != --on-xvfb ]; then
    runs=${1:-9}
    packages=(build-essential cmake qt6-base-dev qt6-svg-dev qt6-charts-dev libqt6opengl6-dev libqt6sql6-sqlite libyaml-cpp-dev libexpat1-dev libgl-dev libspeechd-dev qtkeychain-qt6-dev libx11-dev xvfb
        fonts-liberation2)
    missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        if [ "$(id -u)" -eq 0 ]; then
            apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
        else
            echo "Install first: sudo apt-get install -y ${missing[*]}"; exit 1
        fi
    fi
    cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release > /dev/null
    cmake --build build-bench --target bimbala -j "$(nproc)" > /dev/null
    cmake -S bench -B "$yardsticks" -DCMAKE_BUILD_TYPE=Release > /dev/null
    cmake --build "$yardsticks" -j "$(nproc)" > /dev/null
    BIMBALA_REQUIRE_XVFB=1 exec tools/with-xvfb.sh "$0" --on-xvfb "$runs"
fi
runs=$2
export QT_QPA_PLATFORM=xcb

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
results=$work/results
# A runtime folder as a desktop session has one, so that Qt does not warn at every start.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR=$work/runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
fi
# The three programs take turns, so that all see the same machine load; one warm-up round.
for i in $(seq 0 "$runs"); do
    b=$("$yardsticks/mapwatch" "About Bimbala" "$program")
    w=$("$yardsticks/mapwatch" "bare window" "$yardsticks/bare")
    t=$("$yardsticks/mapwatch" "text window" "$yardsticks/text")
    [ "$i" -gt 0 ] && echo "$b $w $t" >> "$results"
done

python3 - "$results" <<'PY'
import statistics, sys
rows = [list(map(float, line.split())) for line in open(sys.argv[1]) if line.strip()]
bt, bm, bc, wt, wm, wc, tt, tm, tc = (statistics.median(col) for col in zip(*rows))
print(f"runs: {len(rows)}")
print(f"time to window mapped (median): Bimbala {bt:.1f} ms, bare window {wt:.1f} ms, text window {tt:.1f} ms")
print(f"  ratio to the bare window {bt / wt:.2f}, to the text window {bt / tt:.2f}")
print(f"CPU time by then (median): Bimbala {bc:.1f} ms, bare window {wc:.1f} ms, text window {tc:.1f} ms")
print(f"  ratio to the text window {bc / tc:.2f}")
print(f"resident memory then (median):  Bimbala {bm / 1024:.1f} MiB, bare window {wm / 1024:.1f} MiB, text window {tm / 1024:.1f} MiB")
print(f"  ratio to the bare window {bm / wm:.2f}, to the text window {bm / tm:.2f}")
ok = bt / tt <= 0.9
print("target (time to the splash mapped at most 0.9 times the text window's):", "met" if ok else "NOT met")
print("target (memory then at most the text window's):", "met" if bm <= tm else "NOT met")
PY
