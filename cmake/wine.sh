#!/usr/bin/env bash
# Runs Windows programs of the build under Wine with the project's settings.
#   wine.sh PREFIX make STAMP   create the build's Wine prefix (once, at build time)
#   wine.sh PREFIX start        start a persistent wineserver (ctest fixture setup)
#   wine.sh PREFIX stop         end the wineserver and everything it runs (fixture cleanup)
#   wine.sh PREFIX exec PROG..  run a program (ctest's cross-compiling emulator)
set -u
prefix=$1; cmd=$2; shift 2
export WINEPREFIX=$prefix WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
# No Mono or Gecko installers: nothing here needs them and they would ask to download.
export WINEDLLOVERRIDES="mscoree,mshtml="
case $cmd in
make)
    stamp=$1
    rm -rf "$WINEPREFIX" "$stamp"
    wineboot -i </dev/null >/dev/null 2>&1
    # Without a window manager every hide/destroy costs ~2 s unless Wine manages
    # its own windows.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    wineserver -w
    touch "$stamp"
    ;;
start)
    # Helper processes must not hold the test runner's stdout open.
    wineserver -p </dev/null >/dev/null 2>&1
    wine wineboot </dev/null >/dev/null 2>&1
    exit 0
    ;;
stop)
    wineserver -k </dev/null >/dev/null 2>&1
    exit 0
    ;;
exec)
    exec wine "$@"
    ;;
*)
    echo "wine.sh: unknown command $cmd" >&2
    exit 2
    ;;
esac
