#!/usr/bin/env bash
# Installs what the native fuzzing of the TrueType reader needs on Debian 12 (run as root):
# clang with libFuzzer and the sanitizer runtimes, cmake, doctest, and real fonts for the seeds.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
PACKAGES=(clang libclang-rt-14-dev cmake make
          fonts-dejavu-core fonts-liberation2 fonts-freefont-ttf fonts-noto-core)
say() { printf 'fuzz setup: %s\n' "$*"; }
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/apt.sh"
install_missing --no-install-recommends -- "${PACKAGES[@]}"
echo "fuzz setup: ready"
