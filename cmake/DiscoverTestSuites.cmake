# Run after a test binary is linked (cmake -P): asks the binary for its GoogleTest suites and
# writes one CTest test per suite into CTEST_FILE, which CTest includes when it starts.
#
# One test per suite, not per case: every test is a process of its own, and a process of a big
# sanitized binary takes a quarter to a full second to start, which over all cases would cost more
# than the cases themselves. gtest's own output, which CTest shows on a failure, names the case.
#
# Input variables:
#   TEST_LIBRARY      the library; tests are named <library>.<Suite> and labelled <library>
#   TEST_EXECUTABLE   the GoogleTest binary
#   TEST_WORKING_DIR  the folder the tests run in
#   TEST_ENVIRONMENT  NAME=value pairs the tests run with (separated by ';' or, on the command
#                     line of the build rule, by '|')
#   TEST_LONG         suites that take much longer than the others: they start first, so that a
#                     run without the timings of an earlier one does not end waiting for them
#   CTEST_FILE        the file to write

cmake_minimum_required(VERSION 3.25)

foreach(var TEST_LIBRARY TEST_EXECUTABLE TEST_WORKING_DIR CTEST_FILE)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "DiscoverTestSuites: ${var} is not set")
    endif()
endforeach()
string(REPLACE "|" ";" TEST_ENVIRONMENT "${TEST_ENVIRONMENT}")
string(REPLACE "|" ";" TEST_LONG "${TEST_LONG}")

# Static initialisers run when the binary lists its tests, so it lists them in the environment
# the tests get.
execute_process(
    COMMAND "${CMAKE_COMMAND}" -E env ${TEST_ENVIRONMENT} "${TEST_EXECUTABLE}" --gtest_list_tests
    WORKING_DIRECTORY "${TEST_WORKING_DIR}"
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE errors
    TIMEOUT 60)
if(NOT result EQUAL 0)
    file(REMOVE "${CTEST_FILE}")
    message(FATAL_ERROR "${TEST_EXECUTABLE} --gtest_list_tests failed (${result}):\n${output}\n${errors}")
endif()

# The list: a suite line ("Suite." or "Prefix/Suite/0.  # TypeParam = ...") followed by its cases,
# each indented. Only the suite lines matter here.
string(REPLACE ";" "\\;" output "${output}")
string(REPLACE "\n" ";" lines "${output}")
set(suites)
foreach(line IN LISTS lines)
    if(line MATCHES "^([^ #][^ ]*)\\.( |$)")
        list(APPEND suites "${CMAKE_MATCH_1}")
    endif()
endforeach()
list(REMOVE_DUPLICATES suites)
if(NOT suites)
    message(FATAL_ERROR "${TEST_EXECUTABLE} lists no test suite:\n${output}")
endif()

foreach(suite IN LISTS TEST_LONG)
    if(NOT suite IN_LIST suites)
        message(FATAL_ERROR "${TEST_EXECUTABLE} has no suite ${suite}, named as long")
    endif()
endforeach()

set(script "# Written by DiscoverTestSuites.cmake from ${TEST_EXECUTABLE} --gtest_list_tests\n")
foreach(suite IN LISTS suites)
    set(name "${TEST_LIBRARY}.${suite}")
    string(APPEND script
        "add_test([==[${name}]==] [==[${TEST_EXECUTABLE}]==] [==[--gtest_filter=${suite}.*]==] --gtest_color=no)\n"
        "set_tests_properties([==[${name}]==] PROPERTIES\n"
        "    WORKING_DIRECTORY [==[${TEST_WORKING_DIR}]==]\n"
        "    LABELS [==[${TEST_LIBRARY}]==]\n"
        "    ENVIRONMENT [==[${TEST_ENVIRONMENT}]==])\n")
    if(suite IN_LIST TEST_LONG)
        string(APPEND script "set_tests_properties([==[${name}]==] PROPERTIES COST 1000)\n")
    endif()
endforeach()
# Written whole and then renamed, so CTest never reads half a list.
file(WRITE "${CTEST_FILE}.new" "${script}")
file(RENAME "${CTEST_FILE}.new" "${CTEST_FILE}")
