# The program's version, read from app/version.h (the header the version record is built
# from), so that the manifest and the release package can never tell another number.
# Sets TORVINEL_VERSION (1.0.3.0), TORVINEL_VERSION_MAJOR/_MINOR/_PATCH/_BUILD and the
# release package's base name TORVINEL_PACKAGE_FILE_NAME (TORVINEL-1.0.3-win-x64).
set(_header ${CMAKE_CURRENT_LIST_DIR}/../app/version.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_header})
file(STRINGS ${_header} _lines REGEX "^#define TORVINEL_VERSION_(MAJOR|MINOR|PATCH|BUILD) ")
foreach(_part MAJOR MINOR PATCH BUILD)
    if(NOT _lines MATCHES "#define TORVINEL_VERSION_${_part} +([0-9]+)")
        message(FATAL_ERROR "app/version.h has no number TORVINEL_VERSION_${_part}")
    endif()
    set(TORVINEL_VERSION_${_part} ${CMAKE_MATCH_1})
endforeach()
set(TORVINEL_VERSION
    "${TORVINEL_VERSION_MAJOR}.${TORVINEL_VERSION_MINOR}.${TORVINEL_VERSION_PATCH}.${TORVINEL_VERSION_BUILD}")
set(TORVINEL_PACKAGE_FILE_NAME
    "TORVINEL-${TORVINEL_VERSION_MAJOR}.${TORVINEL_VERSION_MINOR}.${TORVINEL_VERSION_PATCH}-win-x64")
unset(_header)
unset(_lines)
