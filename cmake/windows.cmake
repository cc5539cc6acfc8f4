# Windows: resources of Bottinaro132.exe, one self-contained executable, the
# suite under Wine when cross-compiling, the floor program for start-up
# comparisons. Included from the top CMakeLists.txt after every target.

# windres does not track the script's #include.
set_source_files_properties(${PROJECT_BINARY_DIR}/bottinaro.rc PROPERTIES
    OBJECT_DEPENDS ${PROJECT_BINARY_DIR}/bottinaro_icon.rc)
add_dependencies(bottinaro bottinaro_resources)

if(MINGW)
    # No mingw runtime DLLs (libstdc++, libgcc, winpthread) beside the .exe.
    target_link_options(bottinaro_options INTERFACE -static)
endif()

# The floor program of bench/, built the same way, for comparing start-up
# under Wine (tools/windows-startup.sh); not part of the default build.
qt_add_executable(bottinaro-floor WIN32 EXCLUDE_FROM_ALL bench/floor.cpp bench/probe.cpp)
target_include_directories(bottinaro-floor PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(bottinaro-floor PRIVATE Qt6::Widgets bottinaro_options)

if(BUILD_TESTING)
    # The tests run offscreen: the plugin must be linked into each of them.
    get_property(test_targets DIRECTORY tests PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS test_targets)
        get_target_property(type ${target} TYPE)
        if(type STREQUAL "EXECUTABLE")
            qt_import_plugins(${target} INCLUDE Qt6::QOffscreenIntegrationPlugin)
            if(CMAKE_CROSSCOMPILING)
                # Under Wine, in a prefix of the build's own.
                set_target_properties(${target} PROPERTIES CROSSCOMPILING_EMULATOR
                    "${PROJECT_SOURCE_DIR}/tools/wine-run.sh;--qtest;${PROJECT_BINARY_DIR}/wine")
            endif()
        endif()
    endforeach()

    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    add_test(NAME pe_resources
             COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tests/check_pe_resources.py
                     $<TARGET_FILE:bottinaro>)
    if(CMAKE_CROSSCOMPILING)
        find_program(MAKENSIS makensis REQUIRED)
        add_test(NAME windows_installer
                 COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tests/check_installer.py
                         ${PROJECT_BINARY_DIR} ${PROJECT_SOURCE_DIR}/tools/wine-run.sh
                         ${PROJECT_BINARY_DIR}/wine)
        set_tests_properties(windows_installer PROPERTIES TIMEOUT 300 RUN_SERIAL ON)
    endif()
endif()
