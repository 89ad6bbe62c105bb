#!/usr/bin/env bash
# A full disk for the installation tests: mounts a 1 MB tmpfs and maps it as drive T: of a Wine
# prefix (created first when missing); the tests find it through TYPA_SMALL_DRIVE=T: and skip
# their full-disk cases when the drive is not there (mount needs root). A second tmpfs of 64 KB,
# PREFIX.small-trash, is a Recycle Bin too small for any font: the removal tests point Wine's
# trash (XDG_DATA_HOME) there through TYPA_SMALL_TRASH.
#   scripts/small-drive.sh up|down [PREFIX]   (default: TYPA_WINEPREFIX, else build/wineprefix)
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-prefix.sh"
prefix=$(readlink -m "${2:-${TYPA_WINEPREFIX:-$TYPA_ROOT/build/wineprefix}}")
mnt=$prefix.small-drive
trash=$prefix.small-trash
case ${1:-up} in
  up)
    typa_wine_prefix "$prefix" >/dev/null || exit 1
    mkdir -p "$mnt"
    if ! mountpoint -q "$mnt" && ! mount -t tmpfs -o size=1m tmpfs "$mnt" 2>/dev/null; then
      echo "small-drive: cannot mount a tmpfs here; the full-disk cases are skipped" >&2
      exit 0
    fi
    ln -sfn "$mnt" "$prefix/dosdevices/t:"
    mkdir -p "$trash"
    mountpoint -q "$trash" || mount -t tmpfs -o size=64k tmpfs "$trash" 2>/dev/null || rmdir "$trash"
    ;;
  down)
    rm -f "$prefix/dosdevices/t:"
    for m in "$mnt" "$trash"; do
      if mountpoint -q "$m"; then umount "$m"; fi
      rmdir "$m" 2>/dev/null || true
    done
    ;;
esac
exit 0
