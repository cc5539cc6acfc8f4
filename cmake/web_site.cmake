# SPDX-License-Identifier: GPL-3.0-or-later
# Gathers the static site into SITE from the program's link (BINARY_DIR):
#   index.html, service_worker.js, the manifest and the icons at the top;
#   BUILD/ with everything else the page runs (Qt's loader, the program, the
#   page's scripts), BUILD being the start of a SHA-256 over all of it.
# A page names only its own build's folder, so it can never run the files of
# one build with those of another, and a host may keep an older folder for
# pages still loading it. A gzip and a brotli copy go beside every file over
# 10 kB but the icons (PNG is compressed already), for servers that send
# precompressed files (README, "In the browser").
# Run after each link, and by the offline check to make another build.
file(REMOVE_RECURSE ${SITE})
file(MAKE_DIRECTORY ${SITE})
file(GLOB _scripts ${SOURCE_DIR}/web/*.js)
list(FILTER _scripts EXCLUDE REGEX "/service_worker\\.js$")
set(_build_files ${BINARY_DIR}/bottinaro.js ${BINARY_DIR}/bottinaro.wasm
    ${QT_DIR}/plugins/platforms/qtloader.js ${_scripts})
file(GLOB _icons ${SOURCE_DIR}/assets/web/*.png)
set(_top_files ${SOURCE_DIR}/web/manifest.webmanifest ${_icons})

set(_digests "")
foreach(_file IN LISTS _build_files _top_files ITEMS ${SOURCE_DIR}/web/index.html
        ${SOURCE_DIR}/web/service_worker.js ${SOURCE_DIR}/assets/app.ico)
    file(SHA256 ${_file} _digest)
    string(APPEND _digests "${_file} ${_digest}\n")
endforeach()
string(REPLACE "${SOURCE_DIR}/" "" _digests "${_digests}")
string(REPLACE "${BINARY_DIR}/" "" _digests "${_digests}")
string(REPLACE "${QT_DIR}/" "" _digests "${_digests}")
string(SHA256 BUILD "${_digests}")
string(SUBSTRING ${BUILD} 0 16 BUILD)

file(COPY ${_build_files} DESTINATION ${SITE}/${BUILD})
file(COPY ${_top_files} DESTINATION ${SITE})
file(COPY_FILE ${SOURCE_DIR}/assets/app.ico ${SITE}/favicon.ico)
configure_file(${SOURCE_DIR}/web/index.html ${SITE}/index.html @ONLY)

# The worker: the build's name and each file of the site with its SHA-256,
# which it checks every file it keeps against.
file(GLOB_RECURSE _site_files RELATIVE ${SITE} ${SITE}/*)
list(SORT _site_files)
set(SITE_FILES "")
foreach(_name IN LISTS _site_files)
    file(SHA256 ${SITE}/${_name} _digest)
    if(_name STREQUAL "index.html")
        string(APPEND SITE_FILES "  \"./\": \"${_digest}\",\n")
    endif()
    string(APPEND SITE_FILES "  \"${_name}\": \"${_digest}\",\n")
endforeach()
configure_file(${SOURCE_DIR}/web/service_worker.js ${SITE}/service_worker.js @ONLY)

foreach(_file IN LISTS _site_files)
    file(SIZE ${SITE}/${_file} _size)
    if(_size GREATER 10240 AND NOT _file MATCHES "\\.png$")
        execute_process(COMMAND gzip -9 -k -n -f ${SITE}/${_file} COMMAND_ERROR_IS_FATAL ANY)
        execute_process(COMMAND brotli -q 11 -k -f ${SITE}/${_file} COMMAND_ERROR_IS_FATAL ANY)
    endif()
endforeach()
