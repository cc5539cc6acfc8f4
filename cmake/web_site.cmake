# SPDX-License-Identifier: GPL-3.0-or-later
# Gathers the static site: our page, Qt's loader, the program, the icon,
# what makes the page an app that works offline (its manifest, icons and
# service worker), and a gzip and a brotli copy beside every file over
# 10 kB but the icons (PNG is compressed already), for servers that send
# precompressed files (README, "In the browser").
file(REMOVE_RECURSE ${SITE})
file(MAKE_DIRECTORY ${SITE})
file(COPY ${SOURCE_DIR}/web/index.html ${SOURCE_DIR}/web/mirror.js ${BINARY_DIR}/bottinaro.js ${BINARY_DIR}/bottinaro.wasm
          ${QT_DIR}/plugins/platforms/qtloader.js DESTINATION ${SITE})
file(COPY_FILE ${SOURCE_DIR}/assets/app.ico ${SITE}/favicon.ico)
file(GLOB _icons ${SOURCE_DIR}/assets/web/*.png)
file(COPY ${SOURCE_DIR}/web/offline.js ${SOURCE_DIR}/web/manifest.webmanifest ${_icons} DESTINATION ${SITE})
include(${CMAKE_CURRENT_LIST_DIR}/web_worker.cmake)
file(GLOB _files ${SITE}/*)
foreach(_file IN LISTS _files)
    file(SIZE ${_file} _size)
    if(_size GREATER 10240 AND NOT _file MATCHES "\\.png$")
        execute_process(COMMAND gzip -9 -k -n -f ${_file} COMMAND_ERROR_IS_FATAL ANY)
        execute_process(COMMAND brotli -q 11 -k -f ${_file} COMMAND_ERROR_IS_FATAL ANY)
    endif()
endforeach()
