#!/bin/sh
# Installs the Debian packages that building this project needs (tools/debian-packages), and any
# named as arguments, through apt-get: directly as root, through sudo otherwise. Does nothing
# when all are installed. --dry-run prints the commands instead of running them.
set -eu

dry_run=false
if [ "${1:-}" = "--dry-run" ]; then
  dry_run=true
  shift
fi
list="$(dirname "$0")/debian-packages"
wanted="$(sed -e 's/#.*//' "$list" | tr -s ' \t' '\n\n' | sed '/^$/d') $*"

if ! command -v dpkg-query >/dev/null 2>&1; then
  echo "setup: not a Debian system (no dpkg-query); install these packages' equivalents: $(echo $wanted)" >&2
  exit 0
fi
missing=""
for pkg in $wanted; do
  case "$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)" in
    *" installed") ;;
    *) missing="$missing $pkg" ;;
  esac
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  as_root=""
elif command -v sudo >/dev/null 2>&1; then
  as_root="sudo"
else
  echo "setup: installing$missing needs root, and sudo is not installed: run this as root" >&2
  exit 1
fi
echo "setup: installing the Debian packages the build needs through apt-get:$missing" >&2
run() {
  if $dry_run; then echo "$*"; else "$@"; fi
}
run $as_root apt-get update -qq
run $as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
