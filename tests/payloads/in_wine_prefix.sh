#!/usr/bin/env bash
# Runs a command in a fresh copy of a booted Wine prefix, so that what it does to the registry,
# system.ini and the Windows folder touches no other test.
#
#   in_wine_prefix.sh <base prefix> <prefix> <nt|win98> <command> [arguments...]
#
# The base prefix is booted on first use. With win98 the copy reports the 95/98 family.
# The copy is removed again when the command succeeds and kept for a look when it fails.
set -euo pipefail
base=$1 prefix=$2 family=$3
shift 3
here=$(cd "$(dirname "$0")" && pwd)
wine_run=$here/../../scripts/wine-run
# shellcheck source=scripts/wine-flavour.sh
source "$here/../../scripts/wine-flavour.sh"

WINEPREFIX=$base "$wine_run" --version >/dev/null

export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
finish() {
  "$zm_wineserver" -k 2>/dev/null || true
  "$zm_wineserver" -w 2>/dev/null || true
}
trap finish EXIT

rm -rf "$prefix"
cp -a "$base" "$prefix"
case $family in
  nt) ;;
  win98)
    "$zm_wine" reg add 'HKCU\Software\Wine' /v Version /d win98 /f >/dev/null
    # The Wine session started here has no display; the command must start a new one.
    "$zm_wineserver" -w
    ;;
  *) echo "in_wine_prefix.sh: unknown family '$family'" >&2; exit 2 ;;
esac

status=0
"$@" || status=$?
finish
trap - EXIT
if [[ $status -eq 0 ]]; then rm -rf "$prefix"; fi
exit "$status"
