# GoogleTest is built from Debian's sources for every target (host and both Windows ones), so
# the test binaries get exactly our compiler flags and, on Windows, the static runtime.
set(GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
if(WIN32 AND CMAKE_CROSSCOMPILING)
  # The "win32" thread model of MinGW has neither pthreads nor std::mutex. GoogleTest takes
  # its locks and threads from Windows itself there, all but its Notification, which our port
  # hook (found before GoogleTest's own empty one) provides.
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  include_directories(BEFORE ${PROJECT_SOURCE_DIR}/tests/support/gtest_win32)
endif()
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
if(WIN32 AND CMAKE_CROSSCOMPILING)
  target_sources(gtest PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/gtest_win32/notification.cpp)
endif()

# The machine's slowdown factor: TEST_SLOWDOWN in the environment when the tree is configured,
# a whole number from 1 to 100 (scripts/test sets it where the suite runs emulated; native
# runs keep 1), multiplies every test's time limit. The end-to-end scripts and their driver
# read the same variable when they run.
set(LAUNCHER_TEST_SLOWDOWN 1)
if("$ENV{TEST_SLOWDOWN}" MATCHES "^[0-9]+$" AND "$ENV{TEST_SLOWDOWN}" GREATER_EQUAL 1
   AND "$ENV{TEST_SLOWDOWN}" LESS_EQUAL 100)
  set(LAUNCHER_TEST_SLOWDOWN $ENV{TEST_SLOWDOWN})
endif()

# launcher_test_timeout(VAR SECONDS): VAR = SECONDS on this machine.
function(launcher_test_timeout var seconds)
  math(EXPR scaled "${seconds} * ${LAUNCHER_TEST_SLOWDOWN}")
  set(${var} ${scaled} PARENT_SCOPE)
endfunction()

# launcher_add_gtest(name SOURCES sources... LIBS libs... [ALONE cases...]): one test
# executable, run as one CTest test by tests/support/run_gtest.py: one process for all its
# cases (under Wine each process start costs seconds where the machine is emulated), each
# case's result read from GoogleTest's XML report and kept in test-results/NAME.txt of the
# build tree, where scripts/test counts the cases. A case that fails runs once more alone. ALONE
# names the cases that need a process of their own, each with its reason beside the call.
function(launcher_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;ALONE" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gmock project_warnings)
  launcher_test_timeout(whole 600)
  launcher_test_timeout(case 300)
  launcher_test_timeout(limit 1800)
  set(alone "")
  foreach(c IN LISTS ARG_ALONE)
    list(APPEND alone --alone ${c})
  endforeach()
  add_test(NAME ${name}
    COMMAND /usr/bin/env python3 ${PROJECT_SOURCE_DIR}/tests/support/run_gtest.py
            --name ${name} --results ${CMAKE_BINARY_DIR}/test-results
            --timeout ${whole} --case-timeout ${case} ${alone}
            -- ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${name}>
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${limit} LABELS unit)
endfunction()
