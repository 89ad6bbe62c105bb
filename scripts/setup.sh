#!/usr/bin/env bash
# Installs what building, running and testing TYPA.EXE needs on Debian 12 (run as root).
# Safe to run again: when everything is present it only checks, in about a second.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive

# Wine with its recommends: the X11 extensions, libcups, fonts-wine and fonts-liberation that
# Wine substitutes for the Windows core fonts. wine64 only adds a native wineserver; prefixes
# stay 32-bit.
WINE_PACKAGES=(wine wine32:i386 wine64)
# The rest without recommends (cups would bring the avahi and colord daemons).
PACKAGES=(
  cmake
  g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686 doctest-dev
  locales
  xvfb xauth imagemagick xdotool
  halibut fp-utils python3
  # Collections of the demo folder and the tests are made with Debian's fontTools (/usr/bin/python3).
  python3-fonttools
  cups cups-bsd printer-driver-cups-pdf libcups2:i386 poppler-utils
  nsis
)
# i386 code has to be emulated where the kernel runs 64-bit user code only; Debian 12's own
# qemu 7.2 ignores MAP_FIXED_NOREPLACE, which breaks Wine's address space layout.
QEMU_MIN_VERSION=1:9.1
BACKPORTS_LIST=/etc/apt/sources.list.d/typarium-bookworm-backports.list

say() { printf 'setup: %s\n' "$*"; }

if [[ $(id -u) -ne 0 ]]; then
  say "must run as root (apt-get, locale-gen, binfmt_misc)" >&2
  exit 1
fi

# --- apt ---------------------------------------------------------------------------------------
source "$(dirname "${BASH_SOURCE[0]}")/apt.sh"

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  say "adding the i386 architecture"
  dpkg --add-architecture i386
  apt_updated=0
fi

# --- 32-bit code: native if the kernel allows it, otherwise qemu through binfmt_misc ----------
# Settled before any i386 package is installed, as their maintainer scripts may run i386 code.

# A 96-byte static i386 program that exits with 42.
can_run_i386() {
  local probe rc=0
  probe=$(mktemp /tmp/typa-i386-probe.XXXXXX)
  local elf='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
  elf+='\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'
  elf+='\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'
  elf+='\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'
  elf+='\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'
  elf+='\xbb\x2a\x00\x00\x00\xb8\x01\x00\x00\x00\xcd\x80'   # mov ebx,42; mov eax,1; int 80h
  printf "$elf" > "$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null || rc=$?
  rm -f "$probe"
  [[ $rc -eq 42 ]]
}

qemu_is_recent() {
  local v
  v=$(dpkg-query -W -f='${Version}' qemu-user 2>/dev/null) || return 1
  [[ -x /usr/bin/qemu-i386 ]] && dpkg --compare-versions "$v" ge "$QEMU_MIN_VERSION"
}

binfmt_points_to_recent_qemu() {
  local entry=/proc/sys/fs/binfmt_misc/qemu-i386 interp
  [[ -r $entry ]] && grep -qx enabled "$entry" || return 1
  interp=$(sed -n 's/^interpreter //p' "$entry")
  [[ $(readlink -f "$interp") == "$(readlink -f /usr/bin/qemu-i386)" ]]
}

register_qemu_i386() {
  local conf=/usr/share/qemu/binfmt.d/qemu-i386.conf
  if ! mountpoint -q /proc/sys/fs/binfmt_misc; then
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  fi
  if [[ -e /proc/sys/fs/binfmt_misc/qemu-i386 ]]; then
    echo -1 > /proc/sys/fs/binfmt_misc/qemu-i386
  fi
  if [[ -r $conf ]]; then
    grep -v '^#' "$conf" | head -n1 > /proc/sys/fs/binfmt_misc/register
  else
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\xfc\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:F' \
      > /proc/sys/fs/binfmt_misc/register
  fi
}

if ! can_run_i386 || { [[ -e /proc/sys/fs/binfmt_misc/qemu-i386 ]] && ! binfmt_points_to_recent_qemu; }; then
  if ! qemu_is_recent; then
    say "this kernel runs no 32-bit code: installing qemu-user from bookworm-backports"
    if [[ ! -f $BACKPORTS_LIST ]]; then
      echo 'deb http://deb.debian.org/debian bookworm-backports main' > "$BACKPORTS_LIST"
      apt_updated=0
    fi
    apt_update
    apt_install_or_stop --no-install-recommends -t bookworm-backports -- qemu-user
  fi
  binfmt_points_to_recent_qemu || register_qemu_i386
  if ! can_run_i386; then
    say "32-bit programs still do not start; Wine cannot work here" >&2
    exit 1
  fi
  say "32-bit code runs through $(sed -n 's/^interpreter //p' /proc/sys/fs/binfmt_misc/qemu-i386)"
fi

# --- packages ------------------------------------------------------------------------------------
install_missing "${WINE_PACKAGES[@]}"
install_missing --no-install-recommends -- "${PACKAGES[@]}"

# --- French locale: without it LANG=fr_FR.UTF-8 silently falls back to English ----------------
if ! locale -a 2>/dev/null | grep -qix 'fr_FR\.utf-\?8'; then
  say "generating the fr_FR.UTF-8 locale"
  if grep -q '^# *fr_FR.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    sed -i 's/^# *\(fr_FR.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  elif ! grep -q '^fr_FR.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'fr_FR.UTF-8 UTF-8' >> /etc/locale.gen
  fi
  locale-gen >/dev/null
fi

say "ready"
