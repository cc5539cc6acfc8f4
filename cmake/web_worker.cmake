# SPDX-License-Identifier: GPL-3.0-or-later
# Writes SITE/service_worker.js from web/service_worker.js: the site's files
# with the SHA-256 of each, and the name of the cache that holds them, "bottinaro-" and
# the start of a SHA-256 over those files and the worker's own source. A
# change to any of them is a new worker and a new cache. Run by
# web_site.cmake, and on its own by the offline check, on a site already
# gathered (precompressed copies are left out: they are the same files).
file(GLOB _site_files RELATIVE ${SITE} ${SITE}/*)
list(FILTER _site_files EXCLUDE REGEX "\\.(gz|br)$|^service_worker\\.js$")
file(SHA256 ${SOURCE_DIR}/web/service_worker.js _digests)
file(SHA256 ${SITE}/index.html _digest)
set(SITE_FILES "\"./\": \"${_digest}\"")
foreach(_name IN LISTS _site_files)
    file(SHA256 ${SITE}/${_name} _digest)
    string(APPEND _digests " ${_name} ${_digest}")
    string(APPEND SITE_FILES ",\n  \"${_name}\": \"${_digest}\"")
endforeach()
string(SHA256 _digest "${_digests}")
string(SUBSTRING ${_digest} 0 16 _digest)
set(CACHE_NAME "bottinaro-${_digest}")
configure_file(${SOURCE_DIR}/web/service_worker.js ${SITE}/service_worker.js @ONLY)
