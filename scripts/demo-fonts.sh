#!/usr/bin/env bash
# Makes build/demo-fonts: a small font folder with sub-folders, filled with freely licensed
# families from Debian's font packages: TrueType files, and in OpenType/ OpenType files with
# PostScript outlines and collections (one made here with fontTools from two of the TrueType
# files). The packages are downloaded and unpacked, never installed, so neither the host nor
# Wine lists these families as installed fonts. The tests also find fonts-noto-cjk unpacked in
# the cache (a collection of ten PostScript faces, too big for the demo).
# Quick when the folder is already complete. Prints the folder's path.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=${1:-$root/build/demo-fonts}
cache=$root/build/demo-fonts-cache

# package | folder inside the demo (. = top level) | files taken from the package
FAMILIES=(
  "fonts-lato|Sans|Lato-Regular Lato-Italic Lato-Bold Lato-BoldItalic Lato-Light Lato-Black"
  "fonts-open-sans|Sans|OpenSans-Regular OpenSans-Italic OpenSans-Bold OpenSans-BoldItalic"
  "fonts-crosextra-caladea|Serif|Caladea-Regular Caladea-Italic Caladea-Bold Caladea-BoldItalic"
  "fonts-freefont-ttf|Serif|FreeSerif FreeSerifItalic FreeSerifBold FreeSerifBoldItalic"
  "fonts-hack|Mono|Hack-Regular Hack-Italic Hack-Bold Hack-BoldItalic"
  "fonts-crosextra-carlito|.|Carlito-Regular Carlito-Bold"
)

# package | folder inside the demo | file in the package | name in the demo
OTHER_FORMATS=(
  "fonts-freefont-otf|OpenType|FreeSerif.otf|FreeSerif.otf"
  "fonts-cantarell|OpenType|Cantarell-Regular.otf|Cantarell-Regular.otf"
  "fonts-cantarell|OpenType|Cantarell-Bold.otf|Cantarell-Bold.otf"
  "fonts-wqy-microhei|OpenType|wqy-microhei.ttc|wqy-microhei.ttc"
)
# Unpacked into the cache for the tests only.
TEST_ONLY=(fonts-noto-cjk)
# A collection of two faces, made from two files of the demo: folder | name | its faces' files.
COLLECTION="OpenType|Duo.ttc|Serif/Caladea-Regular.TTF Carlito-Regular.TTF"

manifest=$(printf '%s\n' "${FAMILIES[@]}" "${OTHER_FORMATS[@]}" "${TEST_ONLY[@]}" "$COLLECTION")
stamp=$out/.complete
if [[ -f $stamp && $(cat "$stamp") == "$manifest" ]]; then
  echo "$out"
  exit 0
fi

mkdir -p "$cache"
rm -rf "$out.new"
mkdir -p "$out.new"

# Downloads and unpacks a package into the cache once; sets $unpacked.
unpack() {
  local pkg=$1 deb
  # A family the host has installed is one Wine lists as installed: the demo would lose its point.
  if [[ $(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || true) == installed ]]; then
    echo "demo-fonts: $pkg is installed on this machine, its fonts would show as installed" >&2
  fi
  deb=$(ls "$cache/${pkg}"_*.deb 2>/dev/null | head -n1 || true)
  if [[ -z $deb ]]; then
    if ! (cd "$cache" && apt-get download -q "$pkg" >/dev/null 2>&1); then
      # No package lists yet (fresh machine) or stale ones.
      apt-get update -qq </dev/null
      (cd "$cache" && apt-get download -q "$pkg" >/dev/null)
    fi
    deb=$(ls "$cache/${pkg}"_*.deb | head -n1)
  fi
  unpacked=$cache/$pkg
  if [[ ! -d $unpacked ]]; then
    rm -rf "$unpacked.tmp"
    dpkg-deb -x "$deb" "$unpacked.tmp"
    mv "$unpacked.tmp" "$unpacked"
  fi
}

for entry in "${FAMILIES[@]}"; do
  IFS='|' read -r pkg folder files <<<"$entry"
  unpack "$pkg"
  dest=$out.new/$folder
  mkdir -p "$dest"
  for name in $files; do
    src=$(find "$unpacked/usr/share/fonts" -name "$name.ttf" -print -quit)
    if [[ -z $src ]]; then
      echo "demo-fonts: $name.ttf not found in $pkg" >&2
      exit 1
    fi
    # Upper-case extension as on the era's disks; Windows matches *.TTF either way.
    cp "$src" "$dest/$name.TTF"
  done
  cp "$unpacked/usr/share/doc/$pkg/copyright" "$dest/LICENCE-$pkg.txt"
done

for entry in "${OTHER_FORMATS[@]}"; do
  IFS='|' read -r pkg folder file name <<<"$entry"
  unpack "$pkg"
  src=$(find "$unpacked/usr/share/fonts" -name "$file" -print -quit)
  if [[ -z $src ]]; then
    echo "demo-fonts: $file not found in $pkg" >&2
    exit 1
  fi
  mkdir -p "$out.new/$folder"
  cp "$src" "$out.new/$folder/$name"
  cp "$unpacked/usr/share/doc/$pkg/copyright" "$out.new/$folder/LICENCE-$pkg.txt"
done
for pkg in "${TEST_ONLY[@]}"; do unpack "$pkg"; done

IFS='|' read -r folder name faces <<<"$COLLECTION"
sources=()
for f in $faces; do sources+=("$out.new/$f"); done
/usr/bin/python3 - "$out.new/$folder/$name" "${sources[@]}" <<'PY'
import sys
from fontTools.ttLib import TTFont
from fontTools.ttLib.ttCollection import TTCollection
collection = TTCollection()
collection.fonts = [TTFont(path) for path in sys.argv[2:]]
collection.save(sys.argv[1])
PY

printf '%s\n' "$manifest" > "$out.new/.complete"
rm -rf "$out"
mv "$out.new" "$out"
echo "$out"
