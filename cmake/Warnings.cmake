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
