#!/usr/bin/env bash
# Wine prefixes for TYPA.EXE and its tests.
#
# Sourced, it defines:
#   typa_wine_env DIR            exports the environment every wine process of prefix DIR gets
#   typa_wine_prefix DIR [display]
#                                creates prefix DIR unless it exists (under a lock), then calls
#                                typa_wine_env; "display" keeps Wine's X11 driver, otherwise the
#                                null driver gives hidden but fully working windows
#   typa_set_font_path DIR PATH  stores PATH (a Linux folder) as the program's font folder
# Called, it creates a prefix:  scripts/wine-prefix.sh DIR [display]

TYPA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Linux path -> the same place seen from Windows through drive Z:.
typa_winpath() {
  local p
  p=$(readlink -m "$1")
  printf 'Z:%s' "${p//\//\\}"
}

typa_wine_env() {
  local prefix
  prefix=$(readlink -m "$1")
  export WINEPREFIX=$prefix
  export WINEARCH=win32                 # a 32-bit Windows: no Wow6432Node, no "Program Files (x86)"
  export WINEDEBUG=${WINEDEBUG:--all}
  # Wine reads the user locale from these at every process start.
  export LC_ALL=fr_FR.UTF-8 LANG=fr_FR.UTF-8 LANGUAGE=fr_FR:fr
  # Wine's Recycle Bin is the XDG trash; when the folder is missing, Wine deletes for good and
  # still reports success. Keep it inside the prefix so each new prefix starts with an empty one.
  export XDG_DATA_HOME=$prefix/xdg-data
  mkdir -p "$XDG_DATA_HOME"
  # No desktop menu entries or file associations leak out of a throw-away prefix.
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winemenubuilder.exe=d}
}

typa_wine_prefix() {
  local prefix mode=${2:-null} lock tmp
  prefix=$(readlink -m "$1")
  if [[ ! -f $prefix/system.reg ]]; then
    mkdir -p "$(dirname "$prefix")"
    lock=$prefix.lock
    (
      flock -w 600 9 || { echo "wine-prefix: timed out waiting for $lock" >&2; exit 1; }
      [[ -f $prefix/system.reg ]] && exit 0
      # Built aside and renamed when complete, so a half-made prefix is never used.
      tmp=$prefix.new
      rm -rf "$tmp" "$prefix"
      typa_wine_env "$tmp"
      echo "wine-prefix: creating $prefix ($mode display driver)" >&2
      # Mono and Gecko are not wanted, and their installers would ask on a display.
      WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" wineboot -i >/dev/null 2>&1 || true
      wineserver -w
      [[ -f $tmp/system.reg ]] || { echo "wine-prefix: wineboot made no prefix in $tmp" >&2; exit 1; }
      if [[ $mode != display ]]; then
        wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
        # A crashed program ends with a backtrace on stderr instead of waiting for an answer to
        # a crash dialog that nobody can see.
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
          >/dev/null 2>&1
      else
        # Wine draws the title bars itself: Xvfb has no window manager to do it.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
        # Debian's Wine does not find the fonts it ships; the caption buttons need Marlett.
        if [[ -f /usr/share/wine/fonts/marlett.ttf ]]; then
          cp /usr/share/wine/fonts/marlett.ttf "$tmp/drive_c/windows/Fonts/"
        fi
      fi
      wineserver -w
      mv "$tmp" "$prefix"
    ) 9>"$lock" || return 1
  fi
  typa_wine_env "$prefix"
}

typa_set_font_path() {
  local prefix=$1 folder=$2
  (
    typa_wine_env "$prefix"
    wine reg add 'HKLM\SOFTWARE\Orvane Media\Typarium' /v FontPath /t REG_SZ \
      /d "$(typa_winpath "$folder")" /f >/dev/null 2>&1
    wineserver -w
  )
}

if [[ ${BASH_SOURCE[0]} == "$0" ]]; then
  set -euo pipefail
  if [[ $# -lt 1 ]]; then
    echo "usage: $0 DIR [display]" >&2
    exit 2
  fi
  typa_wine_prefix "$@"
  echo "$WINEPREFIX"
fi
