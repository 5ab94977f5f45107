#!/usr/bin/env bash
# Times the volume-name cache over a listing of many devices: one pass (parsed
# once, written once) against saving device by device, starting from a cache
# that already holds every device and from none.
#   tests/bench/cache_pass_bench.sh [DEVICES] [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/../.."
devices="${1:-3000}"
build="${2:-build/linux}"
probe="$build/tests/probe/disk_probe"
export RAVLIN_SIM_ROOT="$(mktemp -d)"
trap 'rm -rf "$RAVLIN_SIM_ROOT"' EXIT
cache="$RAVLIN_SIM_ROOT/Windows/System32/ravlindsm_config.json"
saves=$(python3 -c "print(' '.join(f'save QVR70B{i:07d} volume-{i:05d}' for i in range($devices)))")
"$probe" begin $saves end   # a cache that holds every device
cp "$cache" "$cache.full"
hyperfine --warmup 1 \
  -n "pass, $devices devices, all known" "$probe begin $saves end" \
  -n "device by device, $devices devices, all known" "$probe $saves" \
  -n "pass, $devices devices, new cache" --prepare "rm -f '$cache'" "$probe begin $saves end"
