# Makes the release package with CPack as the `package` target does, checks the ZIP and its
# SHA-256 line, unpacks it into UNPACK_DIR (where the Wine tests of app_exe then start the
# packaged TORVINEL.EXE) and checks that EXE with check_pe.cmake as a stripped release build.
# Run: cmake -DCPACK=... -DBUILD_DIR=... -DNAME=TORVINEL-<version>-win-x64 -DUNPACK_DIR=...
#            -DOBJDUMP=... -DMAX_BYTES=N -P check_package.cmake
cmake_minimum_required(VERSION 3.25)
set(dir ${BUILD_DIR}/package)
set(zip ${dir}/${NAME}.zip)
file(REMOVE ${zip} ${zip}.sha256)
execute_process(COMMAND ${CPACK} --config ${BUILD_DIR}/CPackConfig.cmake
                WORKING_DIRECTORY ${BUILD_DIR} OUTPUT_VARIABLE out ERROR_VARIABLE out
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT EXISTS ${zip})
    message(FATAL_ERROR "cpack made no ${zip}:\n${out}")
endif()

# The checksum file: one line "<sha256>  <file name>", as sha256sum -c reads it.
file(SHA256 ${zip} sha)
file(READ ${zip}.sha256 line)
if(NOT line STREQUAL "${sha}  ${NAME}.zip\n")
    message(FATAL_ERROR "checksum line \"${line}\" does not match ${sha}")
endif()

file(REMOVE_RECURSE ${UNPACK_DIR})
file(MAKE_DIRECTORY ${UNPACK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${zip} WORKING_DIRECTORY ${UNPACK_DIR}
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cannot unpack ${zip}")
endif()
file(GLOB_RECURSE files RELATIVE ${UNPACK_DIR} ${UNPACK_DIR}/*)
list(SORT files)
if(NOT files STREQUAL "LICENSE.txt;README-ja.txt;TORVINEL.EXE")
    message(FATAL_ERROR "the package holds: ${files}")
endif()

# Texts Notepad shows right on every Windows: CRLF line ends only; the Japanese readme
# starts with a UTF-8 byte order mark.
foreach(text LICENSE.txt README-ja.txt)
    file(READ ${UNPACK_DIR}/${text} hex HEX)  # (a text read would drop the CRs)
    string(REGEX REPLACE "(..)" "\\1 " bytes "${hex}")
    string(REPLACE "0d 0a " "" without_crlf "${bytes}")
    if(without_crlf STREQUAL bytes OR without_crlf MATCHES "(^| )0[ad] ")
        message(FATAL_ERROR "${text} has line ends other than CRLF")
    endif()
endforeach()
file(READ ${UNPACK_DIR}/README-ja.txt bom LIMIT 3 HEX)
if(NOT bom STREQUAL "efbbbf")
    message(FATAL_ERROR "README-ja.txt does not start with a UTF-8 byte order mark")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${OBJDUMP} -DEXE=${UNPACK_DIR}/TORVINEL.EXE
                        -DSTRIPPED=ON -DMAX_BYTES=${MAX_BYTES}
                        -P ${CMAKE_CURRENT_LIST_DIR}/check_pe.cmake
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the packaged TORVINEL.EXE fails check_pe.cmake")
endif()
message(STATUS "${NAME}.zip: ${files}")
