# The main window's commands in-process: every command pressed as a user would, with a real
# model on a private application-data folder and every dialog answered through the seam.
find_package(Qt6 REQUIRED COMPONENTS Test)
fennimo_add_test(main_commands_tests
  SOURCES UiTestSupport.cpp CommandsFixture.cpp MainCommandsTest.cpp MainSessionTest.cpp
          ${PROJECT_SOURCE_DIR}/tests/pack/PackFixture.cpp
  LIBS fennimo_main Qt6::Test
  LABELS ui)
target_include_directories(main_commands_tests PRIVATE
  ${PROJECT_SOURCE_DIR}/tests/pack ${PROJECT_SOURCE_DIR}/tests/picture)

# The main window during an editing session on the demo pack, saved as PNG files for a person
# to look at (<build>/screenshots/main-session/).
fennimo_add_test(main_session_screenshots
  SOURCES UiTestSupport.cpp CommandsFixture.cpp MainSessionScreenshots.cpp
          ${PROJECT_SOURCE_DIR}/tests/pack/PackFixture.cpp
  LIBS fennimo_main Qt6::Test
  LABELS screenshots)
target_include_directories(main_session_screenshots PRIVATE ${PROJECT_SOURCE_DIR}/tests/pack)
