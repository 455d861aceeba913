# SPDX-License-Identifier: GPL-3.0-or-later
# Project-wide warning and sanitizer flags, applied through one interface target that every
# library and executable links.
add_library(fennimo_options INTERFACE)
target_compile_options(fennimo_options INTERFACE -Wall -Wextra -Wpedantic)
if(FENNIMO_WERROR)
  target_compile_options(fennimo_options INTERFACE -Werror)
endif()
if(FENNIMO_SANITIZE)
  target_compile_options(fennimo_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(fennimo_options INTERFACE -fsanitize=address,undefined)
endif()

# Precompiles the Qt headers that the window code includes in nearly every file; parsing them
# once per target instead of once per file halves the build of the windows and their tests.
function(fennimo_precompile_qt target)
  target_precompile_headers(${target} PRIVATE
    <QApplication> <QDialog> <QLabel> <QListWidget> <QPainter> <QPushButton> <QString>
    <QTimer> <QWidget> <string> <vector>)
endfunction()
