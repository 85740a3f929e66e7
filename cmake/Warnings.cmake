# Warnings are errors in both builds.
add_compile_options(
  -Wall -Wextra -Wpedantic -Werror
  -Wshadow -Wcast-align -Wformat=2 -Wnon-virtual-dtor -Wundef)
