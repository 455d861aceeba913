# SPDX-License-Identifier: GPL-3.0-or-later
# The main window's commands in-process: every command pressed as a user would, with a real
# model on a private application-data folder and every dialog answered through the seam.
add_library(fennimo_commands_testing STATIC CommandsFixture.cpp)
target_include_directories(fennimo_commands_testing PUBLIC ${PROJECT_SOURCE_DIR}/tests/picture)
target_link_libraries(fennimo_commands_testing PUBLIC
  fennimo_main fennimo_ui_testing fennimo_pack_testing fennimo_options)

fennimo_add_test(main_commands_tests
  QT
  SOURCES MainCommandsTest.cpp MainHistoryTest.cpp MainInterchangeTest.cpp MainOutsideTest.cpp
          MainSessionTest.cpp SmileListTest.cpp
  LIBS fennimo_commands_testing
  LABELS ui)

# The main window during an editing session on the demo pack, saved as PNG files for a person
# to look at (<build>/screenshots/main-session/).
fennimo_add_test(main_session_screenshots
  QT
  SOURCES MainSessionScreenshots.cpp
  LIBS fennimo_commands_testing
  LABELS screenshots)
