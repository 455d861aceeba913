// SPDX-License-Identifier: GPL-3.0-or-later
// Entry point of the window tests: the application object every widget needs, offscreen.
#include <gtest/gtest.h>

#include <cstdlib>

#include "Application.h"

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  TApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
