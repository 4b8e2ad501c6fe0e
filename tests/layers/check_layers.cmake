# Keeps the layers of the product pointing down. From the bottom: win, store, desktop,
# ui, app; a file includes only its own folder or one below it. The test doubles
# (fakes/) may include any of them; nothing of the product includes the doubles, but
# store/registry_api.h, the registry seam, names the stand-in's header for native
# builds. Nothing of the product or the doubles includes tests/ or tools/.
# Run: cmake -DROOT=<source tree> -P check_layers.cmake
cmake_minimum_required(VERSION 3.25)
if(NOT IS_DIRECTORY "${ROOT}")
    message(FATAL_ERROR "no such folder: ${ROOT}")
endif()

set(layers win store desktop ui app)
set(seam_naming_a_double store/registry_api.h)
set(source_globs *.h *.hpp *.c *.cpp *.rc *.idl *.in)

# Every name an include can give a double: its path from the root, and for the
# include folders the doubles' libraries expose, its path from there.
file(GLOB_RECURSE double_files RELATIVE "${ROOT}" "${ROOT}/fakes/*")
set(double_names ${double_files})
foreach(file IN LISTS double_files)
    if(file MATCHES "/include/(.+)$")
        list(APPEND double_names "${CMAKE_MATCH_1}")
    endif()
endforeach()

set(include_line "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"]")
set(violations)
set(checked 0)
foreach(folder IN LISTS layers ITEMS fakes)
    list(FIND layers ${folder} rank)  # -1 for the doubles
    set(globs ${source_globs})
    list(TRANSFORM globs PREPEND "${ROOT}/${folder}/")
    file(GLOB_RECURSE files RELATIVE "${ROOT}" ${globs})
    foreach(file IN LISTS files)
        math(EXPR checked "${checked} + 1")
        file(STRINGS "${ROOT}/${file}" lines REGEX "${include_line}")
        foreach(line IN LISTS lines)
            if(NOT line MATCHES "${include_line}")
                continue()  # the part after a ';' in a trailing comment
            endif()
            set(target "${CMAKE_MATCH_1}")
            string(REGEX MATCH "^[^/]+" top "${target}")
            list(FIND layers "${top}" target_rank)
            if(top STREQUAL "tests" OR top STREQUAL "tools")
                list(APPEND violations "${file}: includes ${target}, which is not the product")
            elseif(top STREQUAL "fakes" OR target IN_LIST double_names)
                if(rank GREATER_EQUAL 0 AND NOT file STREQUAL seam_naming_a_double)
                    list(APPEND violations "${file}: includes the test double ${target}")
                endif()
            elseif(rank GREATER_EQUAL 0 AND target_rank GREATER rank)
                list(APPEND violations "${file}: includes ${target} of the higher layer ${top}")
            endif()
        endforeach()
    endforeach()
endforeach()

if(checked EQUAL 0)
    message(FATAL_ERROR "no source files under ${ROOT}")
endif()
if(violations)
    # One unwrapped line each, so that they can be read and compared.
    foreach(violation IN LISTS violations)
        message("${violation}")
    endforeach()
    list(LENGTH violations count)
    message(FATAL_ERROR "${count} includes against the layers")
endif()
message(STATUS "layers: ${checked} files, every include points down")
