# Project-wide compile settings and the helpers every folder uses to declare targets.

if(NOT WIN32)
    # Native builds always run with the sanitizers.
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
endif()

# How our own code is compiled (not GoogleTest): warnings on and fatal; in the Windows
# build also the code page of fixed texts and the Windows headers' defines.
function(torvinel_compile_settings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror
                           -Wno-missing-field-initializers)
    if(WIN32)
        # Fixed Japanese texts in code are ANSI strings in code page 932.
        target_compile_options(${target} PRIVATE -fexec-charset=CP932)
        target_compile_definitions(${target} PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX
                                   _WIN32_WINNT=0x0601 WINVER=0x0601)
    endif()
endfunction()

# torvinel_library(name SOURCES ... [LIBS ...])
function(torvinel_library name)
    cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${A_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${A_LIBS})
    torvinel_compile_settings(${name})
endfunction()

# torvinel_gtest(name SOURCES ... [LIBS ...] [WINE_E2E])
# One GoogleTest executable = one ctest test. In the Windows build ctest runs it
# through Wine (CMAKE_CROSSCOMPILING_EMULATOR) inside the Wine fixture.
# WINE_E2E marks tests that start TORVINEL.EXE and the tools: they exist only in the
# Windows build and need the display set up by scripts/test.sh.
function(torvinel_gtest name)
    cmake_parse_arguments(A "WINE_E2E" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(A_WINE_E2E AND NOT WIN32)
        return()
    endif()
    add_executable(${name} ${A_SOURCES})
    target_link_libraries(${name} PRIVATE ${A_LIBS} GTest::gtest GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    torvinel_compile_settings(${name})
    if(WIN32)
        set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE OFF)
    endif()
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=0)
    if(NOT A_TIMEOUT)
        set(A_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${A_TIMEOUT})
    if(WIN32)
        torvinel_wine_test(${name})
    endif()
endfunction()
