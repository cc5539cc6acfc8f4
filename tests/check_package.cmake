# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from the build folder twice and checks it: the
# two builds are byte-identical, the control fields, the file list, that the
# installed files name each other correctly, the binary's hardening, and,
# when installed, what lintian and appstreamcli compose make of it.
# Run with -DBUILD_DIR= -DSOURCE_DIR= -DVERSION= -DAPP_ID= -DMAINTAINER=
# -DHOMEPAGE= -DSUMMARY= -DLAYOUT_FONT= (the family the windows' layout is measured with).
set(out ${BUILD_DIR}/package-check)
file(REMOVE_RECURSE ${out})

# cpack takes the time stamps from the commit by itself.
unset(ENV{SOURCE_DATE_EPOCH})
set(ENV{TZ} UTC)
execute_process(COMMAND git -C ${SOURCE_DIR} log -1 --date=format-local:%Y-%m-%d\ %H:%M --format=%cd
                OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE)

execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE arch OUTPUT_STRIP_TRAILING_WHITESPACE)
set(name bottinaro_${VERSION}_${arch}.deb)
foreach(run first second)
    # A second apart, so that the time of the build cannot hide in the package.
    if(run STREQUAL second)
        execute_process(COMMAND ${CMAKE_COMMAND} -E sleep 1.1)
    endif()
    execute_process(COMMAND cpack -G DEB -B ${out}/${run} WORKING_DIRECTORY ${BUILD_DIR}
                    RESULT_VARIABLE result OUTPUT_VARIABLE log ERROR_VARIABLE log)
    if(result OR NOT EXISTS ${out}/${run}/${name})
        message(FATAL_ERROR "cpack did not make ${name}:\n${log}")
    endif()
endforeach()
set(deb ${out}/first/${name})
file(SHA256 ${deb} first)
file(SHA256 ${out}/second/${name} second)
if(NOT first STREQUAL second)
    message(FATAL_ERROR "two builds of the package differ")
endif()

execute_process(COMMAND dpkg-deb -f ${deb} OUTPUT_VARIABLE control)
string(PREPEND control "\n")
foreach(field "Package: bottinaro" "Version: ${VERSION}" "Architecture: ${arch}"
              "Maintainer: ${MAINTAINER}" "Homepage: ${HOMEPAGE}" "Section: utils"
              "Description: ${SUMMARY}")
    string(FIND "${control}" "\n${field}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "control lacks '${field}':\n${control}")
    endif()
endforeach()
# Library dependencies are worked out from the executable, under each
# release's names: Debian 13 renamed Qt's core for the 64-bit time_t.
set(libraries_bookworm libqt6widgets6 libqt6gui6 libqt6core6 libc6)
set(libraries_trixie libqt6widgets6 libqt6gui6 libqt6core6t64 libc6)
file(STRINGS /etc/os-release release REGEX "^VERSION_CODENAME=")
string(REPLACE "VERSION_CODENAME=" "" release "${release}")
if(NOT DEFINED libraries_${release})
    message(FATAL_ERROR "no library package names for the release '${release}': add them here")
endif()
foreach(library IN LISTS libraries_${release})
    if(NOT control MATCHES "Depends:[^\n]*${library} \\(>=")
        message(FATAL_ERROR "Depends lacks ${library}:\n${control}")
    endif()
endforeach()
# The package that holds the layout's font is among the dependencies.
execute_process(COMMAND fc-match -f "%{file}" "${LAYOUT_FONT}" OUTPUT_VARIABLE font_file)
execute_process(COMMAND dpkg -S ${font_file} OUTPUT_VARIABLE owner RESULT_VARIABLE result)
string(REGEX REPLACE ":.*" "" font_package "${owner}")
if(result OR NOT control MATCHES "Depends:[^\n]*[ ,]${font_package}(,|\n| )")
    message(FATAL_ERROR "${LAYOUT_FONT} (${font_file}) is in '${font_package}', not a dependency:\n${control}")
endif()

execute_process(COMMAND dpkg-deb -c ${deb} OUTPUT_VARIABLE files)
string(REGEX MATCH "[0-9-]+ [0-9:]+ ./usr/bin/bottinaro\n" binary "${files}")
if(commit_time AND NOT binary MATCHES "^${commit_time} ")
    message(FATAL_ERROR "the binary is dated '${binary}', not at the commit, ${commit_time}")
endif()
set(paths usr/bin/bottinaro
          usr/share/applications/${APP_ID}.desktop
          usr/share/metainfo/${APP_ID}.metainfo.xml
          usr/share/icons/hicolor/scalable/apps/${APP_ID}.svg
          usr/share/man/man1/bottinaro.1.gz
          usr/share/man/it/man1/bottinaro.1.gz
          usr/share/doc/bottinaro/copyright
          usr/share/doc/bottinaro/changelog.gz)
foreach(size 16 24 32 48 64 128 256)
    list(APPEND paths usr/share/icons/hicolor/${size}x${size}/apps/${APP_ID}.png)
endforeach()
foreach(path IN LISTS paths)
    string(FIND "${files}" " ./${path}\n" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "package lacks ${path}:\n${files}")
    endif()
endforeach()

# The installed files agree: the menu entry starts the installed binary and
# shows the installed icon, and the metadata launches that menu entry.
set(root ${out}/root)
execute_process(COMMAND dpkg-deb -x ${deb} ${root})
file(STRINGS ${root}/usr/share/applications/${APP_ID}.desktop entry)
list(FILTER entry INCLUDE REGEX "^(Exec|Icon)=")
foreach(line IN LISTS entry)
    string(REGEX MATCH "^([A-Za-z]+)=([^ ]*)" _ "${line}")
    set(${CMAKE_MATCH_1} ${CMAKE_MATCH_2})
endforeach()
if(NOT EXISTS ${root}/usr/bin/${Exec} OR IS_DIRECTORY ${root}/usr/bin/${Exec})
    message(FATAL_ERROR "Exec=${Exec} is not an installed program")
endif()
foreach(size 16 24 32 48 64 128 256)
    set(icon ${root}/usr/share/icons/hicolor/${size}x${size}/apps/${Icon}.png)
    execute_process(COMMAND file -b ${icon} OUTPUT_VARIABLE kind)
    if(NOT kind MATCHES "^PNG image data, ${size} x ${size},")
        message(FATAL_ERROR "Icon=${Icon}: no ${size}-pixel PNG at ${icon} (${kind})")
    endif()
endforeach()
file(READ ${root}/usr/share/metainfo/${APP_ID}.metainfo.xml metainfo)
if(NOT metainfo MATCHES "<launchable type=\"desktop-id\">${APP_ID}.desktop</launchable>")
    message(FATAL_ERROR "the metadata does not launch ${APP_ID}.desktop")
endif()

# Hardening of the installed binary: position-independent, bound at start,
# fortified, with no search path of its own.
execute_process(COMMAND readelf -h -d -s --wide ${root}/usr/bin/bottinaro OUTPUT_VARIABLE elf)
foreach(mark "Type:[ ]+DYN" "FLAGS_1\\)[^\n]*NOW" "GNU_RELRO|BIND_NOW|NOW" "__[a-z]+_chk")
    if(NOT elf MATCHES "${mark}")
        message(FATAL_ERROR "the installed binary lacks ${mark}")
    endif()
endforeach()
if(elf MATCHES "RUNPATH|RPATH")
    message(FATAL_ERROR "the installed binary has a library search path")
endif()

find_program(LINTIAN lintian)
if(LINTIAN)
    execute_process(COMMAND ${LINTIAN} --fail-on error,warning --pedantic --info ${deb}
                    RESULT_VARIABLE result OUTPUT_VARIABLE tags ERROR_VARIABLE errors)
    if(NOT tags)
        set(tags "none\n")
    endif()
    message("lintian tags: ${tags}")
    if(result)
        message(FATAL_ERROR "lintian failed (${result}):\n${tags}${errors}")
    endif()
else()
    message("lintian not installed: not run")
endif()

# What software centres see: compose the catalogue from the installed tree.
execute_process(COMMAND appstreamcli compose --help RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
if(result EQUAL 0)
    execute_process(COMMAND appstreamcli compose --no-net --no-color --origin=bottinaro
                            --result-root=${out}/compose --prefix=/usr ${root}
                    RESULT_VARIABLE result OUTPUT_VARIABLE log ERROR_VARIABLE log)
    message("appstreamcli compose:\n${log}")
    file(GLOB_RECURSE catalogue ${out}/compose/*.xml.gz)
    if(result OR NOT catalogue)
        message(FATAL_ERROR "compose failed (${result})")
    endif()
    execute_process(COMMAND gzip -dc ${catalogue} OUTPUT_VARIABLE components)
    if(NOT components MATCHES "<id>${APP_ID}</id>"
       OR NOT components MATCHES "<icon type=\"cached\" width=\"64\" height=\"64\">${APP_ID}.png</icon>")
        message(FATAL_ERROR "the catalogue lacks ${APP_ID} with its icon:\n${components}")
    endif()
    file(GLOB_RECURSE icons ${out}/compose/${APP_ID}.png)
    foreach(size 64x64 128x128)
        set(icon ${icons})
        list(FILTER icon INCLUDE REGEX "/${size}/")
        if(NOT icon)
            message(FATAL_ERROR "compose made no ${size} icon")
        endif()
    endforeach()
else()
    message("appstream-compose not installed: compose not run")
endif()
file(REMOVE_RECURSE ${out})
