# Sourced by run.sh and demo-scene.sh: the demo's own Wine prefix (build/demo, made once,
# so a demo never touches the layouts of the test prefix), and starting the test
# desktop, TORVINEL.EXE and the dialog driver in it. Needs DISPLAY; run from the top folder.
#   TORVINEL_DPI=144     the scene at another display scaling (Wine's LogPixels; 96 = 100 %),
#                        in a prefix of its own (build/demo-dpi144)
#   TORVINEL_EXE=PATH    another build of the program (e.g. build/windows/app/release/TORVINEL.EXE)
demo_dpi=${TORVINEL_DPI:-96}
if [ "$demo_dpi" = 96 ]; then
    demo_prefix=$PWD/build/demo/wineprefix
else
    demo_prefix=$PWD/build/demo-dpi$demo_dpi/wineprefix
fi
demo_exe=${TORVINEL_EXE:-build/windows/app/TORVINEL.EXE}
demo_desktop_size=${TORVINEL_DESKTOP_SIZE:-960x720}

demo_wine() { cmake/wine.sh "$demo_prefix" "$@"; }
# The dialog driver (usage atop tools/driver/driver_main.cpp).
drv() { demo_wine exec build/windows/tools/driver/driver.exe "$@"; }

# Makes the prefix if need be and starts its wineserver (with the helper processes
# away from our stdout, so that $(drv ...) returns at once).
demo_begin() {
    if [ ! -e "$demo_prefix.stamp" ]; then
        echo "demo: making the Wine prefix $demo_prefix (once)"
        mkdir -p "$(dirname "$demo_prefix")"
        demo_wine make "$demo_prefix.stamp"
    fi
    demo_install_marlett
    demo_wine start
    # Each Wine process reads the scaling when it starts: set it before any window shows.
    demo_wine exec reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
        /d "$demo_dpi" /f </dev/null >/dev/null 2>&1
}

# Title bars draw their buttons as letters of the Marlett font ("r" is the close cross).
# This Wine looks for its own fonts under a path it cannot resolve (Z:\usr\share\wine\../fonts)
# and fontconfig does not index /usr/share/wine/fonts, so Marlett never loads and the
# letters come out in a text font. Wine does load what the prefix's Fonts folder holds.
# Only the demo's prefixes get it: the test prefix stays as Wine makes it.
demo_install_marlett() {
    local font=/usr/share/wine/fonts/marlett.ttf fonts="$demo_prefix/drive_c/windows/Fonts"
    if [ ! -e "$font" ]; then
        echo "demo: no $font (package fonts-wine): title bar buttons show letters" >&2
        return 0
    fi
    mkdir -p "$fonts"
    cp -u "$font" "$fonts/"
}

# Waits until an X window with exactly this name shows (Wine maps titles to names).
demo_wait_window() {
    local _
    for _ in $(seq 150); do
        xdotool search --name "^$1\$" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "demo: no window \"$1\"" >&2
    return 1
}

# The test desktop at 0,0 with the demo icon set; returns once its icons stand.
demo_start_desktop() {
    demo_wine exec build/windows/tools/test_desktop/test_desktop.exe --utf8 \
        --items tools/test_desktop/demo_icons.txt --size "$demo_desktop_size" \
        </dev/null >/dev/null 2>&1 &
    demo_wait_window "Program Manager"
}

# TORVINEL.EXE in the background (its pid in demo_pid), its dialog beside the desktop.
demo_start_program() {
    demo_wine exec "$demo_exe" </dev/null >/dev/null 2>&1 &
    demo_pid=$!
    demo_wait_window "ナラベ・リオン"
    drv move $((${demo_desktop_size%x*} + 30)) 40
}

# Closes the test desktop and ends the prefix's wineserver with all it still runs.
demo_stop() {
    drv close-desktop >/dev/null 2>&1 || true
    demo_wine stop
}
