#!/usr/bin/env bash
# Start-up benchmark: time from launch until the About window is mapped, and
# resident memory at that moment, each as a ratio to a bare Qt Widgets window
# measured in the same run. Runs on a machine with Xvfb; installs what it needs
# when run as root. Usage: bench/startup.sh [RUNS]   (default 9)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-9}

packages=(build-essential cmake qt6-base-dev qt6-svg-dev libgl-dev libx11-dev xvfb fonts-liberation2)
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
cmake -S bench -B build-bench/yardstick -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build build-bench/yardstick -j "$(nproc)" > /dev/null

display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp > /dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
sleep 1
export DISPLAY=$display QT_QPA_PLATFORM=xcb

watch=build-bench/yardstick/mapwatch
: > /tmp/bimbala-bench.txt
# Alternate the two programs so that both see the same machine load; one warm-up each.
for i in $(seq 0 "$runs"); do
    b=$($watch "About Bimbala" build-bench/bin/bimbala)
    w=$($watch "bare window" build-bench/yardstick/bare)
    [ "$i" -gt 0 ] && echo "$b $w" >> /tmp/bimbala-bench.txt
done

python3 - /tmp/bimbala-bench.txt <<'PY'
import statistics, sys
rows = [list(map(float, line.split())) for line in open(sys.argv[1]) if line.strip()]
bt, bm, wt, wm = (statistics.median(col) for col in zip(*rows))
print(f"runs: {len(rows)}")
print(f"time to window mapped (median): Bimbala {bt:.1f} ms, bare window {wt:.1f} ms, ratio {bt / wt:.2f}")
print(f"resident memory then (median):  Bimbala {bm / 1024:.1f} MiB, bare window {wm / 1024:.1f} MiB, ratio {bm / wm:.2f}")
ok = bt / wt <= 1.3 and bm / wm <= 1.3
print("target (at most 1.3 times the bare window on both):", "met" if ok else "NOT met")
PY
