# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up of the real program, with the test host standing in for the host tool.
add_executable(fennimo-test-host TestHost.cpp)
target_link_libraries(fennimo-test-host PRIVATE fennimo_platform fennimo_options)

# The program with every dialog logged and closed rather than waiting for a person; for tests
# only (the program users run has no such switch).
add_executable(fennimo-dialog-log FennimoDialogLog.cpp)
target_link_libraries(fennimo-dialog-log PRIVATE fennimo_main fennimo_options)
fennimo_languages_beside(fennimo-dialog-log)

add_test(NAME ShippedProgram.ReadsNoTestSwitchFromTheEnvironment
  COMMAND sh -c "! grep -q FENNIMO_DIALOG_LOG \"$1\"" sh $<TARGET_FILE:fennimo>)

fennimo_add_test(startup_tests
  SOURCES StartupTest.cpp
  LIBS fennimo_storage fennimo_platform
  LABELS process
  # The hand-off block and semaphore have fixed names: one such test at a time.
  PROPERTIES RESOURCE_LOCK handoff TIMEOUT 600)
add_dependencies(startup_tests fennimo-dialog-log fennimo-test-host)
target_compile_definitions(startup_tests PRIVATE
  FENNIMO_PROGRAM="$<TARGET_FILE:fennimo-dialog-log>"
  FENNIMO_TEST_HOST="$<TARGET_FILE:fennimo-test-host>")

# The main window in-process, with a real model and every dialog answered through the seam.
fennimo_add_test(main_window_tests
  QT
  SOURCES UiTestMain.cpp MainWindowTest.cpp
  LIBS fennimo_main fennimo_ui_testing
  LABELS ui)
target_include_directories(main_window_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/picture)

# Screenshots of the main window with the demo pack, at 100% and 200%.
fennimo_add_test(main_window_screenshots
  QT
  SOURCES UiTestMain.cpp MainWindowScreenshots.cpp
  LIBS fennimo_main
  LABELS screenshots)
target_include_directories(main_window_screenshots PRIVATE ${PROJECT_SOURCE_DIR}/tests/picture)
gtest_discover_tests(main_window_screenshots DISCOVERY_MODE PRE_TEST TEST_SUFFIX ".at200percent"
  PROPERTIES ENVIRONMENT "QT_SCALE_FACTOR=2"
             ENVIRONMENT_MODIFICATION "QT_QPA_PLATFORM=set:offscreen"
             LABELS screenshots)

# The real program on a virtual display, driven from the keyboard.
add_test(NAME ProgramSmoke.OpenTheDemoPackAndSaveItElsewhere
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/smoke.sh $<TARGET_FILE:fennimo> ${PROJECT_SOURCE_DIR})
set_tests_properties(ProgramSmoke.OpenTheDemoPackAndSaveItElsewhere PROPERTIES
  LABELS smoke TIMEOUT 300)

# The chat preview on packs of its own, with screenshots at 100% and, with QT_SCALE_FACTOR=2,
# at 200%.
fennimo_add_test(chat_form_tests
  QT
  SOURCES UiTestMain.cpp ChatFormTest.cpp
  LIBS fennimo_main fennimo_ui_testing
  LABELS ui)
target_include_directories(chat_form_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/picture)
gtest_discover_tests(chat_form_tests DISCOVERY_MODE PRE_TEST TEST_SUFFIX ".at200percent"
  PROPERTIES ENVIRONMENT "QT_SCALE_FACTOR=2"
             ENVIRONMENT_MODIFICATION "QT_QPA_PLATFORM=set:offscreen"
             LABELS screenshots)
