# Helpers that give every library, test binary, benchmark and fuzz target the same shape.
#
#   drawmere_library(<name> [DIRS <dir>...] [DEPS <target>...])
#       A static library of every *.cpp in the listed folders (default: the current folder),
#       relative to the current source folder. Includes are written from the repository root
#       ("platform/rtl/SysUtils.h"), so the root is the one public include directory. Built in
#       unity batches (cmake/Unity.cmake); with DRAWMERE_FUZZ instrumented for the fuzzer.
#
#   drawmere_tests(<library> [DEPS <target>...] [ENVIRONMENT <NAME=value>...]
#                  [SPLIT <n>] [LONG <suite>...])
#       One GoogleTest binary <library>_tests of every *.cpp in tests/, run by CTest as one test
#       <library>, or for a long binary as several run in parallel: each LONG suite alone as
#       <library>.<Suite>, started first, and the other suites dealt into n tests
#       <library>.<i>/<n>, listed from the binary after every link (cmake/DiscoverTestSuites.cmake).
#       A failure shows gtest's output, which names the failing cases. Every test is labelled
#       <library>, so `ctest -R <library>` and `ctest -L <library>` select a library's tests.
#       Tests find their fixtures through DRAWMERE_SOURCE_DIR and run with the pinned font map
#       and the headless backend, plus ENVIRONMENT.
#
#   drawmere_benchmark(<name> SOURCES <file>... [DEPS <target>...])
#   drawmere_fuzz_target(<name> SOURCES <file>... [DEPS <target>...])
#       The corpus of a fuzz target lives in fuzz/corpus/<name>/.

function(drawmere_library name)
    cmake_parse_arguments(ARG "" "" "DIRS;DEPS" ${ARGN})
    if(NOT ARG_DIRS)
        set(ARG_DIRS .)
    endif()
    set(sources)
    foreach(dir ${ARG_DIRS})
        file(GLOB found CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp")
        list(APPEND sources ${found})
    endforeach()
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}")
    # Batched once the folder's CMakeLists.txt is read, after any change it makes to the sources.
    cmake_language(EVAL CODE "cmake_language(DEFER CALL drawmere_unity [[${name}]])")
    if(DRAWMERE_FUZZ)
        # Coverage for the fuzz targets; the tests link the same library without the fuzzer.
        target_compile_options(${name} PRIVATE -fsanitize=fuzzer-no-link)
    endif()
    if(ARG_DEPS)
        target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    endif()
    if(EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/res")
        drawmere_embed_resources(${name} DIR "${CMAKE_CURRENT_SOURCE_DIR}/res")
    endif()
endfunction()

set(DRAWMERE_TEST_ENVIRONMENT
    "FONTCONFIG_FILE=${PROJECT_SOURCE_DIR}/platform/fonts/fonts.conf"
    "PLATFORM_BACKEND=headless"
    "TZ=UTC"
    "LC_ALL=C.UTF-8")
set(DRAWMERE_DISCOVER_SUITES "${CMAKE_CURRENT_LIST_DIR}/DiscoverTestSuites.cmake")

function(drawmere_tests library)
    if(NOT DRAWMERE_TESTS)
        return()
    endif()
    cmake_parse_arguments(ARG "" "SPLIT" "DEPS;ENVIRONMENT;LONG" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp")
    if(NOT sources)
        return()  # the library has no tests yet
    endif()
    set(bin ${library}_tests)
    add_executable(${bin} ${sources})
    target_link_libraries(${bin} PRIVATE ${library} ${ARG_DEPS} GTest::gmock GTest::gtest_main)
    drawmere_test_paths(${bin} "${sources}")
    cmake_language(EVAL CODE "cmake_language(DEFER CALL drawmere_unity [[${bin}]])")
    if(EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/tests/res")
        drawmere_embed_resources(${bin} DIR "${CMAKE_CURRENT_SOURCE_DIR}/tests/res")
    endif()
    if(DRAWMERE_SANITIZE)
        # The sanitizers' data holds millions of pointers; as a position-independent program the
        # loader relocates every one at each start, half the start-up of a big test binary.
        target_link_options(${bin} PRIVATE -no-pie)
    endif()
    set(environment ${DRAWMERE_TEST_ENVIRONMENT} ${ARG_ENVIRONMENT})
    if(NOT ARG_SPLIT)
        set(ARG_SPLIT 1)
    endif()
    if(NOT ARG_SPLIT MATCHES "^[1-9][0-9]*$")
        message(FATAL_ERROR "drawmere_tests(${library}): SPLIT takes a number, not ${ARG_SPLIT}")
    endif()
    if(ARG_SPLIT EQUAL 1 AND NOT ARG_LONG)
        add_test(NAME ${library} COMMAND ${bin} --gtest_color=no
                 WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}")
        set_tests_properties(${library} PROPERTIES LABELS ${library} ENVIRONMENT "${environment}")
    else()
        drawmere_test_suites(${library} ${bin} "${environment}" ${ARG_SPLIT} "${ARG_LONG}")
    endif()
endfunction()

# DRAWMERE_SOURCE_DIR and DRAWMERE_TEST_DATA, the source tree and the test binary's tests/data,
# are defined only for the test files that use them (themselves or through a header of tests/):
# every other file then compiles the same in every clone of the tree, and the compiler cache
# serves it to all of them (cmake/CompilerCache.cmake). The files that use them are compiled
# outside the unity batches. The files are read when CMake configures: a file that starts to use
# them ("use of undeclared identifier DRAWMERE_TEST_DATA") needs `cmake --preset dev` once.
function(drawmere_test_paths bin sources)
    set(pattern "DRAWMERE_SOURCE_DIR|DRAWMERE_TEST_DATA")
    file(GLOB headers CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/tests/*.h")
    set(users)
    set(grew TRUE)
    while(grew)
        set(grew FALSE)
        foreach(header ${headers})
            if(NOT header IN_LIST users)
                file(READ "${header}" text)
                if(text MATCHES "${pattern}")
                    list(APPEND users "${header}")
                    get_filename_component(header_name "${header}" NAME)
                    string(REPLACE "." "\\." header_name "${header_name}")
                    string(APPEND pattern "|#include \"([^\"]*/)?${header_name}\"")
                    set(grew TRUE)
                endif()
            endif()
        endforeach()
    endwhile()
    foreach(src ${sources})
        file(READ "${src}" text)
        if(text MATCHES "${pattern}")
            set_property(SOURCE "${src}" APPEND PROPERTY COMPILE_DEFINITIONS
                DRAWMERE_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                DRAWMERE_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/tests/data")
        endif()
    endforeach()
endfunction()

# The tests of a split binary: its suites are listed after every link (a change of the listing
# script relinks too) into a file CTest includes when it starts.
function(drawmere_test_suites library bin environment groups long)
    string(REPLACE ";" "|" environment "${environment}")
    string(REPLACE ";" "|" long "${long}")
    set(ctest_file "${CMAKE_CURRENT_BINARY_DIR}/${bin}_suites.cmake")
    set_property(TARGET ${bin} APPEND PROPERTY LINK_DEPENDS "${DRAWMERE_DISCOVER_SUITES}")
    add_custom_command(TARGET ${bin} POST_BUILD
        COMMAND "${CMAKE_COMMAND}"
                -D "TEST_LIBRARY=${library}"
                -D "TEST_EXECUTABLE=$<TARGET_FILE:${bin}>"
                -D "TEST_WORKING_DIR=${CMAKE_CURRENT_BINARY_DIR}"
                -D "TEST_ENVIRONMENT=${environment}"
                -D "TEST_LONG=${long}"
                -D "TEST_GROUPS=${groups}"
                -D "CTEST_FILE=${ctest_file}"
                -P "${DRAWMERE_DISCOVER_SUITES}"
        VERBATIM)
    # Until the binary is built there is nothing to list: CTest then reports it as not built.
    set(include_file "${CMAKE_CURRENT_BINARY_DIR}/${bin}_include.cmake")
    file(WRITE "${include_file}"
        "if(EXISTS [==[${ctest_file}]==])\n"
        "    include([==[${ctest_file}]==])\n"
        "else()\n"
        "    add_test([==[${library}_NOT_BUILT]==] [==[${library}_NOT_BUILT]==])\n"
        "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${include_file}")
endfunction()

function(drawmere_benchmark name)
    if(NOT DRAWMERE_BENCHMARKS)
        return()
    endif()
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark)
endfunction()

function(drawmere_fuzz_target name)
    if(NOT DRAWMERE_FUZZ)
        return()
    endif()
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    set_property(GLOBAL APPEND PROPERTY DRAWMERE_FUZZ_TARGETS ${name})
endfunction()
