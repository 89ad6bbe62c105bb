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
  halibut python3
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
APT_OPTS=(-q -o DPkg::Lock::Timeout=600)   # wait for another apt run instead of failing
APT_LOG=/tmp/typa-setup-apt.log
UPDATE_TRIES=3
# The release every package is taken from when the suites disagree (see apt_install_or_stop).
PIN_RELEASE=bookworm
apt_updated=0
apt_lists_complete=1
pin_opts=()   # set to the pinned release once an install has needed it

# A mirror in the middle of a sync serves an index of the wrong size ("Mirror sync in
# progress?"). Try again a few times; then go on with the lists apt has, which is enough
# unless a package is truly missing from them.
apt_update() {
  (( apt_updated )) && return 0
  local try
  for (( try = 1; try <= UPDATE_TRIES; try++ )); do
    say "apt-get update"
    if apt-get "${APT_OPTS[@]}" update -qq </dev/null >"$APT_LOG" 2>&1; then
      apt_updated=1 apt_lists_complete=1
      return 0
    fi
    if (( try < UPDATE_TRIES )); then
      say "apt-get update failed ($(first_apt_error)); trying again in $(( try * 5 )) s"
      sleep $(( try * 5 ))
    fi
  done
  say "apt-get update failed $UPDATE_TRIES times ($(first_apt_error)); going on with the package lists apt has"
  apt_updated=1 apt_lists_complete=0
}

# The first error apt wrote to the log, on one line.
first_apt_error() {
  local line
  line=$(grep -m1 -E '^(E|Err):' "$APT_LOG" 2>/dev/null || true)
  [[ -n $line ]] || line=$(grep -v '^\s*$' "$APT_LOG" 2>/dev/null | tail -n1 || true)
  line=${line//$'\t'/ }
  printf '%s' "${line:-no message}"
}

# The packages apt names as the cause in its "unmet dependencies" list, on one line.
unmet_packages() {
  sed -n 's/^ *\([^ :]*\(:[a-z0-9]*\)\?\) *: *Depends:.*/\1/p' "$APT_LOG" 2>/dev/null \
    | sort -u | tr '\n' ' ' | sed 's/ $//'
}

apt_install() {   # apt-get options and packages...
  apt-get "${APT_OPTS[@]}" install -y \
    -o Dpkg::Options::=--force-confdef -o Dpkg::Options::=--force-confold "$@" \
    </dev/null >"$APT_LOG" 2>&1
}

# Installs the packages, or stops with one line saying which could not be had and why.
# Multi-arch packages (amd64 and i386 of one library) must have the same version. When one
# suite's index for one architecture is missing (a lagging mirror), apt offers the amd64 build
# from bookworm-security and the i386 one from bookworm and gives up; with every package taken
# from bookworm itself both agree.
apt_install_or_stop() {   # [apt-get options --] packages...
  local opts=() pkgs
  if [[ " $* " == *' -- '* ]]; then
    while [[ $1 != -- ]]; do opts+=("$1"); shift; done
    shift
  fi
  pkgs=("$@")
  say "installing: ${pkgs[*]}"
  [[ " ${opts[*]} " == *' -t '* ]] || opts+=("${pin_opts[@]}")
  apt_install "${opts[@]}" "${pkgs[@]}" && return 0
  if (( apt_lists_complete )); then
    # A stale package list is the usual cause; refresh once and try again.
    apt_updated=0
    apt_update
    apt_install "${opts[@]}" "${pkgs[@]}" && return 0
  fi
  if [[ " ${opts[*]} " != *' -t '* ]]; then
    say "installing failed ($(first_apt_error)); trying again with every package from $PIN_RELEASE"
    if apt_install -t "$PIN_RELEASE" "${opts[@]}" "${pkgs[@]}"; then
      pin_opts=(-t "$PIN_RELEASE")
      return 0
    fi
  fi
  local why unmet
  why=$(first_apt_error)
  unmet=$(unmet_packages)
  say "could not install ${pkgs[*]}${unmet:+ (unmet dependencies of: $unmet)}: $why (full apt output: $APT_LOG)" >&2
  exit 1
}

missing_packages() {
  local p status
  for p in "$@"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
    [[ $status == installed ]] || printf '%s\n' "$p"
  done
}

install_missing() {   # [apt-get options --] packages...
  local opts=() todo
  if [[ " $* " == *' -- '* ]]; then
    while [[ $1 != -- ]]; do opts+=("$1"); shift; done
    shift
  fi
  mapfile -t todo < <(missing_packages "$@")
  (( ${#todo[@]} )) || return 0
  apt_update
  apt_install_or_stop "${opts[@]}" -- "${todo[@]}"
}

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
