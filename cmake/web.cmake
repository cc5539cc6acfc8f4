# The web build (Qt for WebAssembly): included by the top CMakeLists.txt
# instead of the desktop-only parts.

# Our run-time errors are C++ exceptions caught by the trap. Qt's platform
# target turns catching off for every link, after the project's own flags,
# so its own setting is the one to change.
get_target_property(_qt_link_options Qt6::Platform INTERFACE_LINK_OPTIONS)
string(REPLACE "DISABLE_EXCEPTION_CATCHING=1" "DISABLE_EXCEPTION_CATCHING=0"
       _qt_link_options "${_qt_link_options}")
set_property(TARGET Qt6::Platform PROPERTY INTERFACE_LINK_OPTIONS "${_qt_link_options}")
target_compile_options(bottinaro_options INTERFACE -fexceptions)

# A modal window's nested event loop suspends the page instead of blocking it.
target_link_options(bottinaro_options INTERFACE -fexceptions "SHELL:-s ASYNCIFY=1"
    "SHELL:-s ASYNCIFY_STACK_SIZE=65536")
set(BOTTINARO_WEB_OPTIMIZE "-Oz" CACHE STRING "emcc optimization level of the web links")
target_link_options(bottinaro_options INTERFACE ${BOTTINARO_WEB_OPTIMIZE})

# Browser fallbacks (cursor, title bar icon) and the state hook the browser tests read.
# Compiled into each executable: a static library would drop its start-up hook.
set(BOTTINARO_WEB_SOURCES ${PROJECT_SOURCE_DIR}/web/platform.cpp ${PROJECT_SOURCE_DIR}/web/platform.h)
target_sources(bottinaro PRIVATE ${BOTTINARO_WEB_SOURCES})

# The page: our shell, Qt's loader, the program, and gzip copies of the large files.
set(_site ${PROJECT_BINARY_DIR}/site)
add_custom_command(TARGET bottinaro POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DBINARY_DIR=$<TARGET_FILE_DIR:bottinaro>
            -DSITE=${_site} -DQT_DIR=${QT6_INSTALL_PREFIX} -P ${PROJECT_SOURCE_DIR}/cmake/web_site.cmake
    VERBATIM)

if(BUILD_TESTING)
    add_subdirectory(tests/web)
endif()
