#!/usr/bin/env bash
# Runs a command cut off from every network but a loopback of its own:
#  - a new network namespace holds only `lo`, so no packet can leave this machine, port 80 on
#    127.0.0.1 is free for the tests' servers, and two runs at once do not meet;
#  - a new mount namespace gives it a resolver on loopback (nothing answers there) and a hosts file
#    that sends the program's default host names to loopback addresses where nothing listens, keeps
#    this machine's own name resolving, and has a name with an address of each family
#    (dual.prodle.test: ::1 and 127.0.0.1) beside one with IPv4 alone (ipv4.prodle.test).
# As root the namespaces are made directly. Any other user gets them inside a user namespace of their
# own (unshare -r), where binding a port below 1024 is allowed too: no root is needed to run the tests.
#   scripts/isolated.sh <command> [arguments...]
set -euo pipefail
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
printf 'nameserver 127.0.0.1\n' > "$dir/resolv.conf"
{
    cat /etc/hosts
    printf '127.0.0.1 %s\n' "$(hostname)"
    printf '127.0.0.9 www.example.com\n127.0.0.10 www.wikipedia.org\n'
    printf '::1 dual.prodle.test\n127.0.0.1 dual.prodle.test ipv4.prodle.test\n'
} > "$dir/hosts"

inner='ip link set lo up &&
       mount --bind "$1/resolv.conf" /etc/resolv.conf && mount --bind "$1/hosts" /etc/hosts &&
       shift && exec "$@"'
if [ "$(id -u)" = 0 ]; then
    unshare --net --mount sh -c "$inner" sh "$dir" "$@"
else
    unshare --user --map-root-user --net --mount sh -c "$inner" sh "$dir" "$@"
fi
