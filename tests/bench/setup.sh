#!/usr/bin/env bash
# Installs what the TrueType reader benchmark needs on Debian 12 (run as root): the font
# packages it reads, valgrind for instruction counts, and a native compiler. The Wine half also
# needs the project's own scripts/setup.sh.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
PACKAGES=(valgrind g++ make fontconfig
          fonts-noto-core fonts-noto-extra fonts-noto-ui-core fonts-noto-ui-extra fonts-dejavu-core
          fonts-liberation2 fonts-freefont-ttf fonts-crosextra-carlito fonts-crosextra-caladea)
missing=()
for p in "${PACKAGES[@]}"; do
  [[ $(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true) == installed ]] || missing+=("$p")
done
if (( ${#missing[@]} )); then
  apt-get update -qq </dev/null
  apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null
fi
echo "bench setup: ready"
