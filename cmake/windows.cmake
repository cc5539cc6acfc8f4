# SPDX-License-Identifier: GPL-3.0-or-later
# Windows: resources of Bottinaro132.exe, one self-contained executable.
# tests/ and bench/ register their own Windows parts. Included from the top
# CMakeLists.txt after every target.

# windres does not track the script's #include.
set_source_files_properties(${PROJECT_BINARY_DIR}/bottinaro.rc PROPERTIES
    OBJECT_DEPENDS ${PROJECT_BINARY_DIR}/bottinaro_icon.rc)
add_dependencies(bottinaro bottinaro_resources)

if(MINGW)
    # No mingw runtime DLLs (libstdc++, libgcc, winpthread) beside the .exe.
    target_link_options(bottinaro_options INTERFACE -static)
endif()
