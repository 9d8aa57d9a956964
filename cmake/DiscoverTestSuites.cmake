# Run after a test binary is linked (cmake -P): asks the binary for its GoogleTest suites and
# writes the CTest tests that run them into CTEST_FILE, which CTest includes when it starts:
#   - each LONG suite alone, as <library>.<Suite>, started before the others;
#   - the other suites dealt into GROUPS tests <library>.<i>/<GROUPS> (just <library> for one).
#
# Whole suites, never parts of one: a suite's shared set-up (a spreadsheet converted by another
# program, say) then runs once. Few tests, not one per suite: a process of a big sanitized
# binary takes a quarter to a full second to start. gtest's own output, which CTest shows on a
# failure, names the failing case.
#
# Input variables:
#   TEST_LIBRARY      the library; every test is labelled with it
#   TEST_EXECUTABLE   the GoogleTest binary
#   TEST_WORKING_DIR  the folder the tests run in
#   TEST_ENVIRONMENT  NAME=value pairs the tests run with (separated by ';' or, on the command
#                     line of the build rule, by '|')
#   TEST_LONG         suites that take much longer than the others (separated likewise)
#   TEST_GROUPS       how many tests share the other suites
#   CTEST_FILE        the file to write

cmake_minimum_required(VERSION 3.25)

foreach(var TEST_LIBRARY TEST_EXECUTABLE TEST_WORKING_DIR TEST_GROUPS CTEST_FILE)
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
# each indented. The number of cases stands in for a suite's length when dealing.
string(REPLACE ";" "\\;" output "${output}")
string(REPLACE "\n" ";" lines "${output}")
set(suites)
set(suite "")
foreach(line IN LISTS lines)
    if(line MATCHES "^([^ #][^ ]*)\\.( |$)")
        set(suite "${CMAKE_MATCH_1}")
        if(NOT suite IN_LIST suites)
            list(APPEND suites "${suite}")
            set(cases_${suite} 0)
        endif()
    elseif(suite AND line MATCHES "^  [^ ]")
        math(EXPR cases_${suite} "${cases_${suite}} + 1")
    endif()
endforeach()
if(NOT suites)
    message(FATAL_ERROR "${TEST_EXECUTABLE} lists no test suite:\n${output}")
endif()
foreach(suite IN LISTS TEST_LONG)
    if(NOT suite IN_LIST suites)
        message(FATAL_ERROR "${TEST_EXECUTABLE} has no suite ${suite}, named as long")
    endif()
endforeach()

# The other suites, most cases first, each to the group with the fewest cases so far.
set(others ${suites})
if(TEST_LONG)
    list(REMOVE_ITEM others ${TEST_LONG})
endif()
set(keyed)
foreach(suite IN LISTS others)
    math(EXPR key "2000000 - ${cases_${suite}}") # seven digits each, so text order is number order
    list(APPEND keyed "${key}|${suite}")
endforeach()
list(SORT keyed)
math(EXPR last "${TEST_GROUPS} - 1")
foreach(group RANGE ${last})
    set(group_${group})
    set(size_${group} 0)
endforeach()
foreach(entry IN LISTS keyed)
    string(REGEX REPLACE "^[0-9]+\\|" "" suite "${entry}")
    set(smallest 0)
    foreach(group RANGE ${last})
        if(size_${group} LESS size_${smallest})
            set(smallest ${group})
        endif()
    endforeach()
    list(APPEND group_${smallest} "${suite}")
    math(EXPR size_${smallest} "${size_${smallest}} + ${cases_${suite}}")
endforeach()

set(script "# Written by DiscoverTestSuites.cmake from ${TEST_EXECUTABLE} --gtest_list_tests\n")
function(add_suites_test name cost)
    list(TRANSFORM ARGN APPEND ".*")
    list(JOIN ARGN ":" filter)
    string(APPEND script
        "add_test([==[${name}]==] [==[${TEST_EXECUTABLE}]==] [==[--gtest_filter=${filter}]==] --gtest_color=no)\n"
        "set_tests_properties([==[${name}]==] PROPERTIES\n"
        "    WORKING_DIRECTORY [==[${TEST_WORKING_DIR}]==]\n"
        "    LABELS [==[${TEST_LIBRARY}]==]\n"
        "    COST ${cost}\n"
        "    ENVIRONMENT [==[${TEST_ENVIRONMENT}]==])\n")
    set(script "${script}" PARENT_SCOPE)
endfunction()
foreach(suite IN LISTS TEST_LONG)
    add_suites_test("${TEST_LIBRARY}.${suite}" 1000 "${suite}")
endforeach()
foreach(group RANGE ${last})
    if(NOT group_${group})
        continue() # more groups than suites
    endif()
    if(TEST_GROUPS EQUAL 1)
        set(name "${TEST_LIBRARY}")
    else()
        math(EXPR shown "${group} + 1")
        set(name "${TEST_LIBRARY}.${shown}/${TEST_GROUPS}")
    endif()
    add_suites_test("${name}" 0 ${group_${group}})
endforeach()
# Written whole and then renamed, so CTest never reads half a list.
file(WRITE "${CTEST_FILE}.new" "${script}")
file(RENAME "${CTEST_FILE}.new" "${CTEST_FILE}")
