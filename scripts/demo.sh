#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The tool against three simulated units, without touching the real network: a private pair of
# network namespaces joined by a veth cable, rvunit-sim in one (10.77.0.2), rvconfig in the other
# (10.77.0.1), on your display. Everything made here is removed again when the tool is closed or
# the script is interrupted. Needs root (network namespaces need CAP_NET_ADMIN); run as a normal
# user it asks sudo and keeps the display variables.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

display_vars=DISPLAY,XAUTHORITY,WAYLAND_DISPLAY,XDG_RUNTIME_DIR,QT_QPA_PLATFORM
if [ "$(id -u)" -ne 0 ]; then
    exec sudo --preserve-env="$display_vars" "$0" "$@"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "demo: no display (DISPLAY or WAYLAND_DISPLAY) to show the tool on" >&2
    exit 1
fi
# Under sudo, X authority is the invoking user's.
if [ -z "${XAUTHORITY:-}" ] && [ -n "${SUDO_USER:-}" ]; then
    user_home=$(getent passwd "$SUDO_USER" | cut -d: -f6)
    if [ -f "$user_home/.Xauthority" ]; then
        export XAUTHORITY="$user_home/.Xauthority"
    fi
fi

scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target rvconfig rvunit-sim

pc=rvdemo-pc-$$
units=rvdemo-units-$$
sim_pid=""
cleanup() {
    trap - EXIT INT TERM
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    # Deleting a namespace deletes its end of the cable, and with it the other end.
    ip netns delete "$pc" 2>/dev/null || true
    ip netns delete "$units" 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM

ip netns add "$pc"
ip netns add "$units"
ip link add "rvd$$a" type veth peer name "rvd$$b"
ip link set "rvd$$a" netns "$pc"
ip link set "rvd$$b" netns "$units"
ip -n "$pc" link set "rvd$$a" name eth0
ip -n "$units" link set "rvd$$b" name eth0
for ns in "$pc" "$units"; do
    ip -n "$ns" link set lo up
    ip -n "$ns" link set eth0 up
done
ip -n "$pc" addr add 10.77.0.1/24 dev eth0
ip -n "$units" addr add 10.77.0.2/24 dev eth0
# The units answer by broadcast from a wildcard socket, which needs a route out.
ip -n "$units" route add default dev eth0

ip netns exec "$units" build/tools/sim/rvunit-sim --units 3 &
sim_pid=$!

echo "demo: three units at 10.77.0.2 in namespace $units; the tool runs in $pc"
ip netns exec "$pc" build/src/app/rvconfig
