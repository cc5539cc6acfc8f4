# SPDX-License-Identifier: GPL-3.0-or-later
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
# Only the functions that can be on the stack when a modal window's loop
# suspends the page are instrumented (web/asyncify.txt): the way from a browser
# event, a timer or a posted event through Qt's delivery to a handler and into
# the nested loop. Painting, text, fonts, pictures and containers never are, and
# leaving them as compiled makes the program a third smaller. A function missing
# from the list stops the page ("unreachable") at the first modal window opened
# through it; the browser tests open each one by mouse, keyboard and menu.
function(bottinaro_asyncify_only target list)
    target_link_options(${target} PRIVATE "SHELL:-s ASYNCIFY_ONLY=@${list}")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${list})
endfunction()
set(BOTTINARO_WEB_OPTIMIZE "-Oz" CACHE STRING "emcc optimization level of the web links")
target_link_options(bottinaro_options INTERFACE ${BOTTINARO_WEB_OPTIMIZE})
# Asyncify adds its code after the optimizer has run; one more pass over the
# finished module takes 1 % off it for about 20 s a link.
target_link_options(bottinaro_options INTERFACE "SHELL:-s BINARYEN_EXTRA_PASSES=${BOTTINARO_WEB_OPTIMIZE}")

# Qt's platform carries three faces (1 MB, a fifth of the page) and draws
# with the first it finds. The windows need one: the DejaVu Sans the desktop
# build draws with on Linux, its glyphs as they are, cut to what the program
# shows or a player types on a Latin keyboard: Latin-1, the punctuation of
# Italian texts and Qt's own (dashes, quotes, the ellipsis of an elided
# text), the euro and the minus sign, and the replacement character (45 kB
# instead of 0.76 MB). Any other character shows the face's missing-glyph
# box. Qt's set is left out, and web/platform.cpp registers this face.
set_property(TARGET Qt6::QWasmIntegrationPlugin_resources_1 PROPERTY IMPORTED_OBJECTS_RELEASE "")
find_file(BOTTINARO_WEB_FONT DejaVuSans.ttf PATHS /usr/share/fonts/truetype/dejavu
    DOC "DejaVu Sans, the web build's one face" NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
# Debian's Python, which has the packaged fontTools.
find_program(BOTTINARO_PYTHON python3 HINTS /usr/bin NO_CMAKE_FIND_ROOT_PATH)
execute_process(COMMAND ${BOTTINARO_PYTHON} -c "import fontTools.subset"
    RESULT_VARIABLE _no_fonttools OUTPUT_QUIET ERROR_QUIET)
if(NOT BOTTINARO_WEB_FONT OR _no_fonttools)
    message(FATAL_ERROR "The web build needs DejaVuSans.ttf and Python's fontTools: "
        "install fonts-dejavu-core and python3-fonttools")
endif()
set(_font ${PROJECT_BINARY_DIR}/web_font/DejaVuSans.ttf)
add_custom_command(OUTPUT ${_font}
    COMMAND ${BOTTINARO_PYTHON} -m fontTools.subset ${BOTTINARO_WEB_FONT}
            --unicodes=U+0020-007E,U+00A0-00FF,U+2013,U+2014,U+2018-201D,U+2022,U+2026,U+20AC,U+2212,U+FFFD
            --layout-features=* --drop-tables+=FFTM --output-file=${_font}
    DEPENDS ${BOTTINARO_WEB_FONT} VERBATIM)
qt_add_resources(bottinaro_forms web_font PREFIX /fonts BASE ${PROJECT_BINARY_DIR}/web_font
    FILES ${_font})

# Of Qt's Italian catalogue (161 kB) only the contexts whose texts the
# windows can show in a browser: the box's context menu, the message box and
# its buttons, what a screen reader is told.
set(_catalogue ${PROJECT_BINARY_DIR}/i18n/qtbase_it.qm)
add_custom_command(OUTPUT ${_catalogue}
    COMMAND ${BOTTINARO_PYTHON} ${PROJECT_SOURCE_DIR}/tools/trim_qm.py ${BOTTINARO_QTBASE_IT_QM} ${_catalogue}
            QLineEdit QUnicodeControlCharacterMenu QPlatformTheme QMessageBox QDialogButtonBox QDialog
            QWidget QWhatsThisAction QGuiApplication QCoreApplication QAccessibleActionInterface
    DEPENDS ${BOTTINARO_QTBASE_IT_QM} ${PROJECT_SOURCE_DIR}/tools/trim_qm.py VERBATIM)
qt_add_resources(bottinaro_forms translations PREFIX /i18n BASE ${PROJECT_BINARY_DIR}/i18n
    FILES ${_catalogue})

# Qt's style carries 0.35 MB of pictures (file dialogs, media, docks, title
# bars) in one resource; of them the windows load only the menu bar's
# extension arrow (web/qt-style, Qt's own files). The resource is left out
# and those three stand in for it, at the same paths and under its name, which
# Qt's widgets initialise.
foreach(_n RANGE 1 9)
    if(TARGET Qt6::Widgets_resources_${_n})
        get_target_property(_objects Qt6::Widgets_resources_${_n} IMPORTED_OBJECTS_RELEASE)
        if(_objects MATCHES "/qrc_qstyle\\.cpp\\.o")
            set_property(TARGET Qt6::Widgets_resources_${_n} PROPERTY IMPORTED_OBJECTS_RELEASE "")
            set(_style_pictures_left_out ON)
        endif()
    endif()
endforeach()
if(NOT _style_pictures_left_out)
    message(FATAL_ERROR "Qt's style pictures (qrc_qstyle) not found among Qt6::Widgets' resources")
endif()
qt_add_resources(bottinaro_forms qstyle PREFIX /qt-project.org/styles/commonstyle/images
    BASE ${PROJECT_SOURCE_DIR}/web/qt-style
    FILES ${PROJECT_SOURCE_DIR}/web/qt-style/toolbar-ext-h-8.png
          ${PROJECT_SOURCE_DIR}/web/qt-style/toolbar-ext-h-16.png
          ${PROJECT_SOURCE_DIR}/web/qt-style/toolbar-ext-h-32.png)

# Browser fallbacks (cursor, title bar icon, fonts, colours, the window
# order, the end of the program) and the accessibility mirror. Compiled into
# each executable: a static library would drop their start-up hooks.
set(BOTTINARO_WEB_SOURCES ${PROJECT_SOURCE_DIR}/web/platform.cpp ${PROJECT_SOURCE_DIR}/web/platform.h
    ${PROJECT_SOURCE_DIR}/web/mirror.cpp)

# The page: our shell, Qt's loader, the program, and brotli and gzip copies
# of the large files, in site/.
target_sources(bottinaro PRIVATE ${BOTTINARO_WEB_SOURCES})
target_link_libraries(bottinaro PRIVATE Qt6::GuiPrivate)
bottinaro_asyncify_only(bottinaro ${PROJECT_SOURCE_DIR}/web/asyncify.txt)
# The site is gathered after each link: a change to the page's own files
# links again, or the site would keep the old ones.
file(GLOB _page_files ${PROJECT_SOURCE_DIR}/web/*.js ${PROJECT_SOURCE_DIR}/web/*.html
     ${PROJECT_SOURCE_DIR}/web/*.webmanifest ${PROJECT_SOURCE_DIR}/assets/web/*.png)
set_property(TARGET bottinaro APPEND PROPERTY LINK_DEPENDS ${_page_files}
             ${PROJECT_SOURCE_DIR}/cmake/web_site.cmake)
add_custom_command(TARGET bottinaro POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DBINARY_DIR=${PROJECT_BINARY_DIR}
            -DSITE=${PROJECT_BINARY_DIR}/site -DQT_DIR=${QT6_INSTALL_PREFIX}
            -P ${PROJECT_SOURCE_DIR}/cmake/web_site.cmake
    VERBATIM)

if(BUILD_TESTING)
    add_subdirectory(tests/web)
endif()
