# Installation: the shared library, both public headers, the pixora program, a CMake package
# (find_package(PixoraSdk_530TZ) gives the imported target PixoraSdk_530TZ::PixoraSdk_530TZ),
# a pkg-config file, and the documentation with the example programs. Both package files
# locate the tree from where they lie, so the installed tree can be moved.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(PIXORA_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/PixoraSdk_530TZ)

install(TARGETS PixoraSdk_530TZ EXPORT PixoraSdk_530TZTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES
    ${PROJECT_SOURCE_DIR}/include/PixoraSdk_530TZ.h
    ${PROJECT_SOURCE_DIR}/include/PixoraPlatform.h
    ${PROJECT_SOURCE_DIR}/include/PixoraExtensions.h
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

if(TARGET pixora)
    # The program finds the library in the lib folder beside its own.
    file(RELATIVE_PATH pixora_bin_to_lib
        ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR})
    set_target_properties(pixora PROPERTIES INSTALL_RPATH "$ORIGIN/${pixora_bin_to_lib}")
    install(TARGETS pixora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# The GStreamer plugin goes into the prefix's plugin folder, lib/gstreamer-1.0 (the multiarch
# lib folder for /usr), and finds the library one folder up.
if(TARGET gstpixora)
    set_target_properties(gstpixora PROPERTIES INSTALL_RPATH "$ORIGIN/..")
    install(TARGETS gstpixora LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/gstreamer-1.0)
endif()

# The pages, and beside them the examples they name as examples/..., ready to build against
# this installation: share/doc/PixoraSdk_530TZ/ and share/doc/PixoraSdk_530TZ/examples/.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR}
    FILES_MATCHING PATTERN "*.md")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

install(EXPORT PixoraSdk_530TZTargets
    NAMESPACE PixoraSdk_530TZ::
    DESTINATION ${PIXORA_CMAKE_DIR})
configure_package_config_file(
    ${CMAKE_CURRENT_LIST_DIR}/PixoraSdk_530TZConfig.cmake.in
    ${PROJECT_BINARY_DIR}/PixoraSdk_530TZConfig.cmake
    INSTALL_DESTINATION ${PIXORA_CMAKE_DIR})
write_basic_package_version_file(
    ${PROJECT_BINARY_DIR}/PixoraSdk_530TZConfigVersion.cmake
    VERSION ${PROJECT_VERSION}
    COMPATIBILITY SameMajorVersion)
install(FILES
    ${PROJECT_BINARY_DIR}/PixoraSdk_530TZConfig.cmake
    ${PROJECT_BINARY_DIR}/PixoraSdk_530TZConfigVersion.cmake
    DESTINATION ${PIXORA_CMAKE_DIR})

# pkg-config: the prefix is derived from the file's own place (${pcfiledir}).
file(RELATIVE_PATH pixora_pc_to_prefix
    ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" pixora_pc_to_prefix "${pixora_pc_to_prefix}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/PixoraSdk_530TZ.pc.in
    ${PROJECT_BINARY_DIR}/PixoraSdk_530TZ.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/PixoraSdk_530TZ.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The udev rule that lets the desktop's user open the camera on USB (docs/usb.md), written
# by the built pixora so that its text has one source: for the IDs given with
# -DPIXORA_USB_IDS=VVVV:PPPP[;...] into lib/udev/rules.d, else as a template to fill in.
set(PIXORA_USB_IDS "" CACHE STRING "vendor:product IDs of the USB cameras the installed udev rule names")
if(TARGET pixora AND NOT WIN32)
    set(pixora_rule_note "")
    if(PIXORA_USB_IDS)
        set(pixora_rule_dir lib/udev/rules.d)
        set(pixora_rule_file 70-pixora-530tz.rules)
        set(pixora_rule_ids ${PIXORA_USB_IDS})
    else()
        set(pixora_rule_dir ${CMAKE_INSTALL_DATADIR}/pixora)
        set(pixora_rule_file 70-pixora-530tz.rules.in)
        set(pixora_rule_ids 0000:0000)
        set(pixora_rule_note "# A template: replace the IDs 0000 and 0000 by the camera's idVendor and\n# idProduct (pixora usb list shows them) and install it as\n# /etc/udev/rules.d/70-pixora-530tz.rules.\n")
    endif()
    install(CODE "
        set(rules \"${pixora_rule_note}\")
        foreach(ids ${pixora_rule_ids})
            execute_process(COMMAND $<TARGET_FILE:pixora> usb rule \${ids}
                OUTPUT_VARIABLE rule RESULT_VARIABLE status)
            if(NOT status EQUAL 0)
                message(FATAL_ERROR \"pixora usb rule \${ids} failed: \${rule}\")
            endif()
            if(NOT rules STREQUAL \"${pixora_rule_note}\")
                string(REGEX REPLACE \"#[^\\n]*\\n\" \"\" rule \"\${rule}\")
            endif()
            string(APPEND rules \"\${rule}\")
        endforeach()
        set(target \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${pixora_rule_dir}/${pixora_rule_file}\")
        message(STATUS \"Installing: \${target}\")
        file(WRITE \"\${target}\" \"\${rules}\")
    ")
endif()
