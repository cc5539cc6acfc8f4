# SPDX-License-Identifier: GPL-3.0-or-later
# The web page (web/build.sh configures it with emcmake): the rules and
# texts the desktop windows use, compiled by emscripten into a module with
# no Qt, no iostream and no file system; the windows' markup made from the
# .ui files (web/make_page.py); the site in site/.

# Small before fast: the module answers one click at a time.
target_compile_options(bottinaro_options INTERFACE -Oz -flto)
target_link_options(bottinaro_options INTERFACE -Oz -flto)

# Without C++ exceptions, so that libc++ and its ABI come without them (a
# quarter of the module): nothing the module calls throws. The tally's
# throwing operations are compiled as they are, and left out at the link.
set_property(SOURCE web/module.cpp tally/window_texts.cpp tally/calculation.cpp APPEND PROPERTY
             COMPILE_OPTIONS -fno-exceptions)
add_executable(bottinaro_module web/module.cpp)
target_link_libraries(bottinaro_module PRIVATE window_texts tally bottinaro_options)
# A module of its own, no JavaScript glue: the page's script instantiates it.
set_target_properties(bottinaro_module PROPERTIES OUTPUT_NAME bottinaro SUFFIX .wasm)
target_link_options(bottinaro_module PRIVATE "SHELL:-s STANDALONE_WASM" --no-entry
    "SHELL:-s MALLOC=emmalloc" "SHELL:-s INITIAL_MEMORY=1MB" "SHELL:-s TOTAL_STACK=64KB"
    "SHELL:-s ALLOW_MEMORY_GROWTH=1" -fno-exceptions)

find_program(BOTTINARO_NODE node REQUIRED)
# Debian's Python, which has the packaged fontTools, brotli and PIL.
find_program(BOTTINARO_PYTHON python3 HINTS /usr/bin NO_DEFAULT_PATH REQUIRED)
set(_module $<TARGET_FILE:bottinaro_module>)
set(_changes ${PROJECT_BINARY_DIR}/changes.json)
add_custom_command(OUTPUT ${_changes}
    COMMAND ${BOTTINARO_NODE} ${PROJECT_SOURCE_DIR}/web/module_changes.mjs ${_module}
            Form1_Build frmAbout_Load > ${_changes}
    DEPENDS bottinaro_module ${PROJECT_SOURCE_DIR}/web/module_changes.mjs ${PROJECT_SOURCE_DIR}/web/module.js
    COMMENT "The windows as the module builds and loads them")
file(GLOB _page_sources LIST_DIRECTORIES false ${PROJECT_SOURCE_DIR}/web/* ${PROJECT_SOURCE_DIR}/ui/*/*.ui
     ${PROJECT_SOURCE_DIR}/assets/* ${PROJECT_SOURCE_DIR}/assets/web/*)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/site/index.html
    COMMAND ${BOTTINARO_PYTHON} ${PROJECT_SOURCE_DIR}/web/make_page.py ${PROJECT_SOURCE_DIR}
            ${_module} ${_changes} ${PROJECT_BINARY_DIR}/site ${BOTTINARO_TITLE} it
    DEPENDS ${_changes} ${_page_sources} ${PROJECT_SOURCE_DIR}/web/make_page.py
            ${PROJECT_SOURCE_DIR}/forms/arrangement.h ${PROJECT_SOURCE_DIR}/forms/palette.cpp
    COMMENT "The site, from the windows' .ui files")
add_custom_target(site ALL DEPENDS ${PROJECT_BINARY_DIR}/site/index.html)
