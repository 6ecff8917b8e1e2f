# SPDX-License-Identifier: MIT
# Warnings live in INTERFACE targets that each target links, not in global flags.
add_library(rv_warnings INTERFACE)
target_compile_options(rv_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wold-style-cast -Wnon-virtual-dtor
    -Woverloaded-virtual -Wformat=2)
if(RV_WERROR)
    target_compile_options(rv_warnings INTERFACE -Werror)
endif()

# The protocol layer also gets -Wconversion: every narrowing of a wire value is written out.
add_library(rv_strict_warnings INTERFACE)
target_link_libraries(rv_strict_warnings INTERFACE rv_warnings)
target_compile_options(rv_strict_warnings INTERFACE -Wconversion -Wsign-conversion)
