#!/usr/bin/env bash
# Installs what the TrueType reader benchmark needs on Debian 12 (run as root): the font
# packages it reads, valgrind for instruction counts, and a native compiler. The Wine half also
# needs the project's own scripts/setup.sh.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
PACKAGES=(valgrind g++ make fontconfig
          fonts-noto-core fonts-noto-extra fonts-noto-ui-core fonts-noto-ui-extra fonts-dejavu-core
          fonts-liberation2 fonts-freefont-ttf fonts-crosextra-carlito fonts-crosextra-caladea)
say() { printf 'bench setup: %s\n' "$*"; }
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/apt.sh"
install_missing --no-install-recommends -- "${PACKAGES[@]}"
echo "bench setup: ready"
