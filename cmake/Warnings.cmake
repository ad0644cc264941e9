# One interface target carries the warning flags for every target of the project.
add_library(vemo_warnings INTERFACE)
target_compile_options(vemo_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Werror)
