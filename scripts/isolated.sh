#!/usr/bin/env bash
# Runs a command so that no name lookup can leave this machine: in a mount namespace whose resolver
# is loopback (nothing answers there) and whose hosts file sends the program's default host names to
# loopback addresses where nothing listens. Used for every test run.
#   scripts/isolated.sh <command> [arguments...]
set -euo pipefail
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
printf 'nameserver 127.0.0.1\n' > "$dir/resolv.conf"
{ cat /etc/hosts; printf '127.0.0.9 www.example.com\n127.0.0.10 www.wikipedia.org\n'; } > "$dir/hosts"
if [ "$(id -u)" = 0 ] && unshare --mount true 2>/dev/null; then
    unshare --mount sh -c 'mount --bind "$1/resolv.conf" /etc/resolv.conf && mount --bind "$1/hosts" /etc/hosts &&
                           shift && exec "$@"' sh "$dir" "$@"
else
    echo "!! Not root or no mount namespaces: name lookups use this machine's own resolver" >&2
    "$@"
fi
