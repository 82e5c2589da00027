#!/usr/bin/env bash
# Runs a command in a network namespace of its own (tests/netns-run, also when
# ctest already runs this in one) that has, beside that wrapper's
# 10.253.0.1/24 link, a second up, broadcast-capable link named as a USB
# adapter is: enx00e04c6801ab, 192.168.77.10/24.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ "${1-}" != --with-second-link ]; then
    exec "$here/../../netns-run" "$0" --with-second-link "$@"
fi
shift
ip link add enx00e04c6801ab type veth peer name veth-usb1
ip addr add 192.168.77.10/24 dev enx00e04c6801ab
ip link set enx00e04c6801ab up
ip link set veth-usb1 up
exec "$@"
