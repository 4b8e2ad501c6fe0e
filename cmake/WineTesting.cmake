# Wine for the Windows build: one prefix per build directory, made at build time,
# and a ctest fixture that keeps one wineserver running for all tests.
set(TORVINEL_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(TORVINEL_WINE_SH ${PROJECT_SOURCE_DIR}/cmake/wine.sh)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TORVINEL_WINE_SH};${TORVINEL_WINE_PREFIX};exec)

add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/wineprefix.stamp
    COMMAND ${TORVINEL_WINE_SH} ${TORVINEL_WINE_PREFIX} make ${CMAKE_BINARY_DIR}/wineprefix.stamp
    COMMENT "Creating the Wine prefix"
    VERBATIM)
add_custom_target(wineprefix ALL DEPENDS ${CMAKE_BINARY_DIR}/wineprefix.stamp)

add_test(NAME wine_start COMMAND ${TORVINEL_WINE_SH} ${TORVINEL_WINE_PREFIX} start)
add_test(NAME wine_stop COMMAND ${TORVINEL_WINE_SH} ${TORVINEL_WINE_PREFIX} stop)
set_tests_properties(wine_start PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP wine)

function(torvinel_wine_test name)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine
        ENVIRONMENT "WINEPREFIX=${TORVINEL_WINE_PREFIX};WINEDEBUG=-all;LANG=ja_JP.UTF-8;LC_ALL=ja_JP.UTF-8")
endfunction()
