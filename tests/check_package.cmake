# Builds the Debian package from the build folder and checks its control
# fields and file list. Run with -DBUILD_DIR=... -DVERSION=... -DAPP_ID=... -DMAINTAINER=...
set(out ${BUILD_DIR}/package-check)
file(REMOVE_RECURSE ${out})
execute_process(COMMAND cpack -G DEB -B ${out} WORKING_DIRECTORY ${BUILD_DIR}
                RESULT_VARIABLE result OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(result)
    message(FATAL_ERROR "cpack failed:\n${log}")
endif()
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE arch OUTPUT_STRIP_TRAILING_WHITESPACE)
set(deb ${out}/bottinaro_${VERSION}_${arch}.deb)
if(NOT EXISTS ${deb})
    message(FATAL_ERROR "no ${deb}")
endif()

execute_process(COMMAND dpkg-deb -f ${deb} OUTPUT_VARIABLE control)
foreach(field "Package: bottinaro" "Version: ${VERSION}" "Architecture: ${arch}"
              "Maintainer: ${MAINTAINER}" "Section: games" "Description: calculator for the Moon Tug")
    string(FIND "${control}" "${field}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "control lacks '${field}':\n${control}")
    endif()
endforeach()
# Library dependencies are worked out from the executable.
foreach(library libqt6widgets6 libqt6gui6 libqt6core6 libc6)
    if(NOT control MATCHES "Depends:[^\n]*${library} \\(>=")
        message(FATAL_ERROR "Depends lacks ${library}:\n${control}")
    endif()
endforeach()

execute_process(COMMAND dpkg-deb -c ${deb} OUTPUT_VARIABLE files)
foreach(path usr/bin/bottinaro
             usr/share/applications/${APP_ID}.desktop
             usr/share/metainfo/${APP_ID}.metainfo.xml
             usr/share/icons/hicolor/16x16/apps/${APP_ID}.png
             usr/share/icons/hicolor/32x32/apps/${APP_ID}.png
             usr/share/icons/hicolor/48x48/apps/${APP_ID}.png)
    string(FIND "${files}" "./${path}\n" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "package lacks ${path}:\n${files}")
    endif()
endforeach()
file(REMOVE_RECURSE ${out})
