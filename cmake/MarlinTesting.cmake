# Google Test for both builds, and marlin_add_test() to register a test executable.
#
# Natively every test case becomes its own CTest test. Under Wine one CTest test runs a
# whole executable (discovering cases would start Wine once per case at build time). The
# 32-bit Windows build compiles its tests but registers none: this machine cannot run them.

if(WIN32)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
    find_package(GTest REQUIRED)
    include(GoogleTest)
endif()

set(MARLIN_RUN_WINDOWS_TESTS OFF)
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(MARLIN_RUN_WINDOWS_TESTS ON)
endif()

# marlin_add_test(NAME sources... [LIBS libs...] [ENV VAR=value...])
function(marlin_add_test name)
    cmake_parse_arguments(ARG "" "" "LIBS;ENV" ${ARGN})
    add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gtest)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    if(NOT WIN32)
        gtest_discover_tests(${name} PROPERTIES ENVIRONMENT "${ARG_ENV}" TIMEOUT 120
                             DISCOVERY_TIMEOUT 60)
    elseif(MARLIN_RUN_WINDOWS_TESTS)
        add_test(NAME ${name} COMMAND ${name})
        # A Windows process that dies under Wine can still exit with 0: only Google Test's
        # own closing line counts as a pass.
        set_tests_properties(${name} PROPERTIES ENVIRONMENT "${ARG_ENV}" TIMEOUT 300
            PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [0-9]+ tests?\\."
            FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]")
    endif()
endfunction()

# marlin_list_code_page_characters(TARGET): writes files/code-page-characters.txt beside the
# target's tests with Python's codecs (tests/dbf/files/list_code_page_characters.py), for the
# tests that hold the system's decoding against an independent one.
function(marlin_list_code_page_characters target)
    set(list ${CMAKE_CURRENT_BINARY_DIR}/files/code-page-characters.txt)
    set(script ${PROJECT_SOURCE_DIR}/tests/dbf/files/list_code_page_characters.py)
    add_custom_command(OUTPUT ${list}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/files
        COMMAND /usr/bin/python3 ${script} > ${list}
        DEPENDS ${script}
        COMMENT "Listing the test code pages' characters with Python's codecs")
    add_custom_target(${target}_code_page_list DEPENDS ${list})
    add_dependencies(${target} ${target}_code_page_list)
endfunction()
