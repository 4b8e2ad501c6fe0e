#!/usr/bin/env bash
# Installs what building and testing need on Debian 12 (run as root; safe to run again):
# compilers, GoogleTest sources, mingw-w64 (with widl, for the test desktop's proxy DLL),
# Wine, Xvfb, fonts, and the ja_JP.UTF-8 locale that gives Wine code page 932.
set -euo pipefail

packages=(cmake ninja-build g++ googletest clang libclang-rt-14-dev
          g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 mingw-w64-tools
          wine wine64 xvfb xauth fonts-wine fonts-ipafont-gothic
          imagemagick xdotool locales)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    echo "setup: generating the ja_JP.UTF-8 locale"
    localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
