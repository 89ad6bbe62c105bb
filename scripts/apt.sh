#!/usr/bin/env bash
# Sourced by the set-up scripts (run as root): installs Debian packages that are missing, and
# survives a package mirror in the middle of a sync. Defines say() unless the caller has one.
declare -F say >/dev/null || say() { printf 'setup: %s\n' "$*"; }

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
