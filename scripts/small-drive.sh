#!/usr/bin/env bash
# A full disk for the installation tests: mounts a 1 MB tmpfs and maps it as drive T: of a Wine
# prefix (created first when missing); the tests find it through TYPA_SMALL_DRIVE=T: and skip
# their full-disk cases when the drive is not there (mount needs root).
#   scripts/small-drive.sh up|down [PREFIX]   (default: TYPA_WINEPREFIX, else build/wineprefix)
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-prefix.sh"
prefix=$(readlink -m "${2:-${TYPA_WINEPREFIX:-$TYPA_ROOT/build/wineprefix}}")
mnt=$prefix.small-drive
case ${1:-up} in
  up)
    typa_wine_prefix "$prefix" >/dev/null || exit 1
    mkdir -p "$mnt"
    if ! mountpoint -q "$mnt" && ! mount -t tmpfs -o size=1m tmpfs "$mnt" 2>/dev/null; then
      echo "small-drive: cannot mount a tmpfs here; the full-disk cases are skipped" >&2
      exit 0
    fi
    ln -sfn "$mnt" "$prefix/dosdevices/t:"
    ;;
  down)
    rm -f "$prefix/dosdevices/t:"
    if mountpoint -q "$mnt"; then umount "$mnt"; fi
    rmdir "$mnt" 2>/dev/null || true
    ;;
esac
exit 0
