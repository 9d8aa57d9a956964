# Helpers that give every library, test binary, benchmark and fuzz target the same shape.
#
#   drawmere_library(<name> [DIRS <dir>...] [DEPS <target>...])
#       A static library of every *.cpp in the listed folders (default: the current folder),
#       relative to the current source folder. Includes are written from the repository root
#       ("platform/rtl/SysUtils.h"), so the root is the one public include directory.
#
#   drawmere_tests(<library> [DEPS <target>...])
#       One GoogleTest binary <library>_tests of every *.cpp in tests/, registered with CTest.
#       Tests find their fixtures through DRAWMERE_SOURCE_DIR and run with the pinned font map.
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
    if(ARG_DEPS)
        target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    endif()
    if(EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/res")
        drawmere_embed_resources(${name} DIR "${CMAKE_CURRENT_SOURCE_DIR}/res")
    endif()
endfunction()

function(drawmere_test_environment test)
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT
        "FONTCONFIG_FILE=${PROJECT_SOURCE_DIR}/platform/fonts/fonts.conf"
        "PLATFORM_BACKEND=headless"
        "TZ=UTC"
        "LC_ALL=C.UTF-8")
endfunction()

function(drawmere_tests library)
    if(NOT DRAWMERE_TESTS)
        return()
    endif()
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp")
    if(NOT sources)
        return()  # the library has no tests yet
    endif()
    set(bin ${library}_tests)
    add_executable(${bin} ${sources})
    target_link_libraries(${bin} PRIVATE ${library} ${ARG_DEPS} GTest::gmock GTest::gtest_main)
    target_compile_definitions(${bin} PRIVATE
        DRAWMERE_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        DRAWMERE_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/tests/data")
    if(EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/tests/res")
        drawmere_embed_resources(${bin} DIR "${CMAKE_CURRENT_SOURCE_DIR}/tests/res")
    endif()
    add_test(NAME ${library} COMMAND ${bin} --gtest_color=no
             WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}")
    drawmere_test_environment(${library})
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
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    set_property(GLOBAL APPEND PROPERTY DRAWMERE_FUZZ_TARGETS ${name})
endfunction()
