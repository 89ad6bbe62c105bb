#!/usr/bin/env bash
# Installs what the native fuzzing of the TrueType reader needs on Debian 12 (run as root):
# clang with libFuzzer and the sanitizer runtimes, cmake, doctest, and real fonts for the seeds.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
PACKAGES=(clang libclang-rt-14-dev cmake make
          fonts-dejavu-core fonts-liberation2 fonts-freefont-ttf fonts-noto-core)
missing=()
for p in "${PACKAGES[@]}"; do
  [[ $(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true) == installed ]] || missing+=("$p")
done
if (( ${#missing[@]} )); then
  apt-get update -qq </dev/null
  apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null
fi
echo "fuzz setup: ready"
