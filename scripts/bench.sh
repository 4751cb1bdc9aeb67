#!/usr/bin/env bash
# Builds the benchmark program in Release into build-bench/ and prints the performance table with the
# machine and the commit it ran on. Arguments choose groups: cipher file sort undo cli million trace window commands filter (default all).
# Exits non-zero when a target is not met.
source "$(dirname "$0")/common.sh"

dir="${QUILLET_BENCH_BUILD_DIR:-$QUILLET_ROOT/build-bench}"

install_missing_packages "${QUILLET_PACKAGES[@]}"
cmake -S "$QUILLET_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DQUILLET_BUILD_BENCH=ON
cmake --build "$dir" --target quillet-bench --parallel "$(nproc)"

# Many ARM machines name no model in /proc/cpuinfo.
cpu=$(grep -m1 -E '^(model name|Model|Hardware|cpu model)' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//' || true)
cpu=${cpu:-$(uname -m)}
memory=$(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo)
commit=$(git -C "$QUILLET_ROOT" rev-parse --short HEAD 2>/dev/null || echo unknown)
echo
echo "Machine: $(nproc) cores, $cpu, $memory; commit $commit"
echo
export QT_QPA_PLATFORM=offscreen
"$dir/bin/quillet-bench" "$@"
