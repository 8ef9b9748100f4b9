# GoogleTest built with the same cross compiler; every test runs through Wine, one process per test.
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

file(GLOB_RECURSE PRODLE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*.cpp)
# The engine's own tests need no Windows: they run natively (tests/native/CMakeLists.txt, scripts/fuzz.sh).
list(FILTER PRODLE_TEST_SOURCES EXCLUDE REGEX "/tests/engine/")
# Their world of fakes also runs the engine through a day for the History window's test.
list(APPEND PRODLE_TEST_SOURCES ${CMAKE_SOURCE_DIR}/tests/engine/engine_driver.cpp)
add_executable(prodle_tests ${PRODLE_TEST_SOURCES} ${PRODLE_RC})
target_include_directories(prodle_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(prodle_tests PRIVATE prodle_core gtest shlwapi ws2_32 psapi oleacc oleaut32)
target_link_options(prodle_tests PRIVATE -static)
target_precompile_headers(prodle_tests PRIVATE <gtest/gtest.h> <winsock.h> <windows.h> <commctrl.h> <string>)
# The loopback server uses Windows Sockets 2, whose header must come before <windows.h>.
set_source_files_properties(${CMAKE_SOURCE_DIR}/tests/support/loopback_server.cpp PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
add_dependencies(prodle_tests prodle)

# The wineserver must not be started by a test whose output is a ctest pipe (ctest would wait for it
# forever): start it detached in a fixture and stop it at the end.
add_test(NAME wineserver_up COMMAND ${CMAKE_BINARY_DIR}/wine-run --server-up)
add_test(NAME wineserver_down COMMAND ${CMAKE_BINARY_DIR}/wine-run --server-down)
set_tests_properties(wineserver_up PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(wineserver_down PROPERTIES FIXTURES_CLEANUP wine)

gtest_discover_tests(prodle_tests
  DISCOVERY_MODE PRE_TEST
  DISCOVERY_TIMEOUT 60
  PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 120
             ENVIRONMENT "PRODLE_EXE=${CMAKE_BINARY_DIR}/prodle.exe")

# The fit of every text, the user's session and the History window once more at 150 % (144 DPI), with
# screenshots named "...-144dpi". The DPI is the whole prefix's while this runs, so nothing may run beside
# it. The text-fit test fails unless the screen is at the DPI that PRODLE_EXPECTED_DPI names. The time
# zone is five and a half hours from UTC, so that a time shown in UTC where local time belongs fails.
add_test(NAME At144Dpi.TextFitUserSessionAndHistory
         COMMAND ${CMAKE_BINARY_DIR}/wine-run --dpi 144 $<TARGET_FILE:prodle_tests>
                 --gtest_filter=FormAndDialogs/TextFit.*:UserSession.*:HistoryWindowTest.*)
set_tests_properties(At144Dpi.TextFitUserSessionAndHistory PROPERTIES
                     FIXTURES_REQUIRED wine RUN_SERIAL TRUE TIMEOUT 300
                     ENVIRONMENT "PRODLE_EXE=${CMAKE_BINARY_DIR}/prodle.exe;PRODLE_EXPECTED_DPI=144;TZ=Asia/Kolkata")

# The tray's tip under a Japanese ANSI code page (932), where a byte above 0x7F reads as another letter
# or swallows the next one.
add_test(NAME CodePage932.TrayTip
         COMMAND ${CMAKE_BINARY_DIR}/wine-run $<TARGET_FILE:prodle_tests>
                 --gtest_filter=Form.TheCountdownTicksWhileTheWindowShowsAndTheTrayTipIsRightWhenItAppears)
set_tests_properties(CodePage932.TrayTip PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 120
                     ENVIRONMENT "PRODLE_EXE=${CMAKE_BINARY_DIR}/prodle.exe;LANG=ja_JP.UTF-8;PRODLE_EXPECTED_ACP=932")

# The Windows Installer package, installed, updated and removed in a Wine prefix of its own: a 32-bit
# one with the 32-bit build, a 64-bit one with the 64-bit build of a machine that runs no 32-bit code.
# Where it cannot run (no wixl, no Wine loader for the build) it says why and counts as skipped.
add_test(NAME Installer.InstallUpdateUninstall COMMAND bash ${CMAKE_SOURCE_DIR}/tests/packaging/msi_test.sh
         ${CMAKE_BINARY_DIR}/prodle.exe ${PROJECT_VERSION} ${CMAKE_BINARY_DIR}/msi-test)
set_tests_properties(Installer.InstallUpdateUninstall PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77)
