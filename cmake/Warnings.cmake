# Warnings are errors in both builds. The list has a name so that vendored code, which is kept
# as its authors wrote it, can be built without it (third_party/).
set(ZM_WARNING_OPTIONS
  -Wall -Wextra -Wpedantic -Werror
  -Wshadow -Wcast-align -Wformat=2 -Wnon-virtual-dtor -Wundef)
add_compile_options(${ZM_WARNING_OPTIONS})
