# Installation and the Debian package. Executables go to bin; everything the programs load from
# their own folder in a build tree goes to share/kavrin, where programDataFolder() finds it
# relative to the executable (so that a package unpacked into any root works too). Included by
# the top-level CMakeLists.txt once every target exists.

include(GNUInstallDirs)

set(KAVRIN_PACKAGE_MAINTAINER "Kavrin developers <kavrin@example.org>"
    CACHE STRING "The Maintainer of the Debian package: \"Name <address>\"")

set(kavrin_data_destination ${CMAKE_INSTALL_DATADIR}/kavrin)
set(kavrin_packaging_source ${PROJECT_SOURCE_DIR}/packaging)
set(kavrin_packaging_binary ${PROJECT_BINARY_DIR}/packaging)

install(TARGETS kavrin kavrin-cli kavrin-radio-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The shipped files, as kavrin_ship_resources, kavrin_ship_instrument_profiles and
# kavrin_ship_limits put them beside the programs in the build tree.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/res/help/
    DESTINATION ${kavrin_data_destination}/Kavrin.chm)
install(FILES $<TARGET_FILE_DIR:kavrin>/title.bmp $<TARGET_FILE_DIR:kavrin>/setup.bmp
    DESTINATION ${kavrin_data_destination})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/res/instruments
    DESTINATION ${kavrin_data_destination} FILES_MATCHING PATTERN "*.json")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/res/limits
    DESTINATION ${kavrin_data_destination} FILES_MATCHING PATTERN "*.ini")

# The rest is the Linux desktop's and the Debian package's. It runs programs of the build (the
# picture tool, help2man on the executables), which a cross build cannot.
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux" OR CMAKE_CROSSCOMPILING)
    return()
endif()

# The desktop: entry, icon in the hicolor sizes drawn by the program's own icon code, AppStream
# metainfo and the archive's file type, which the entry opens (Exec=kavrin %f).
set(kavrin_icon_dir ${kavrin_packaging_binary}/icons)
set(kavrin_icon_stamp ${kavrin_packaging_binary}/icons.stamp)
add_custom_command(OUTPUT ${kavrin_icon_stamp}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${kavrin_icon_dir}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            $<TARGET_FILE:kavrin-make-pictures> --icons ${kavrin_icon_dir}
    COMMAND ${CMAKE_COMMAND} -E touch ${kavrin_icon_stamp}
    DEPENDS kavrin-make-pictures
    COMMENT "Application icons in ${kavrin_icon_dir}"
    VERBATIM)
configure_file(${kavrin_packaging_source}/org.kavrin.Kavrin.metainfo.xml
    ${kavrin_packaging_binary}/org.kavrin.Kavrin.metainfo.xml @ONLY)
install(FILES ${kavrin_packaging_source}/kavrin.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(DIRECTORY ${kavrin_icon_dir}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${kavrin_packaging_binary}/org.kavrin.Kavrin.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${kavrin_packaging_source}/kavrin-mime.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME kavrin.xml)

# The programming cable for the user at the console. udev reads /usr/lib/udev whatever the
# architecture, so not CMAKE_INSTALL_LIBDIR.
install(FILES ${kavrin_packaging_source}/70-kavrin-cp210x.rules DESTINATION lib/udev/rules.d)

# Copyright and the compressed changelog, where Debian keeps a package's documents. The package
# is a native one (its version has no Debian revision), so the changelog is changelog.gz.
set(kavrin_doc_destination ${CMAKE_INSTALL_DATADIR}/doc/kavrin)
set(kavrin_changelog ${kavrin_packaging_binary}/changelog)
configure_file(${kavrin_packaging_source}/changelog ${kavrin_changelog} @ONLY)
find_program(KAVRIN_GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${kavrin_changelog}.gz
    COMMAND ${KAVRIN_GZIP} -9nkf ${kavrin_changelog}
    DEPENDS ${kavrin_changelog}
    VERBATIM)
install(FILES ${kavrin_packaging_source}/copyright ${kavrin_changelog}.gz
    DESTINATION ${kavrin_doc_destination})
install(FILES ${kavrin_packaging_source}/lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME kavrin)

# Manual pages from the programs' --help. kavrin-cli's version is given here, so that its page
# does not need its own --version; its help may go to standard error as well.
set(kavrin_generated ${kavrin_icon_stamp} ${kavrin_changelog}.gz)
find_program(KAVRIN_HELP2MAN help2man)
# kavrin_man_page(program summary [help2man options...]) writes PROGRAM.1.gz from its --help.
# Qt's own warnings (a missing runtime folder, say) must not end up in a page read from stderr.
function(kavrin_man_page program summary)
    set(page ${kavrin_packaging_binary}/man/${program}.1)
    add_custom_command(OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${kavrin_packaging_binary}/man
        COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=1796904000 KAVRIN_HISTORY=none
                QT_LOGGING_RULES=*.warning=false
                ${KAVRIN_HELP2MAN} --no-info --name=${summary} ${ARGN}
                --output=${page} $<TARGET_FILE:${program}>
        COMMAND ${KAVRIN_GZIP} -9nf ${page}
        DEPENDS ${program}
        COMMENT "Manual page ${program}(1)"
        VERBATIM)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    set(kavrin_generated ${kavrin_generated} ${page}.gz PARENT_SCOPE)
endfunction()
if(KAVRIN_HELP2MAN)
    kavrin_man_page(kavrin "align a two-way radio on the bench")
    kavrin_man_page(kavrin-cli
        "read, tune, program and archive a two-way radio from the command line"
        --no-discard-stderr --version-string=${PROJECT_VERSION})
    kavrin_man_page(kavrin-radio-sim "a virtual two-way radio on a pseudo-terminal")
else()
    message(STATUS "help2man not found: no manual pages (scripts/setup.sh installs it)")
endif()
add_custom_target(kavrin_packaging_files ALL DEPENDS ${kavrin_generated})

# The Debian package: cmake --build BUILD --target package (scripts/package.sh).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kavrin)
set(CPACK_PACKAGE_VENDOR "Kavrin developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${KAVRIN_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "bench alignment of two-way radios")
set(CPACK_PACKAGE_DESCRIPTION
    "Kavrin aligns a two-way radio on the service bench through its USB
programming cable (a CP210x USB-UART bridge). It reads the radio's identity
and its alignment values, lets the technician tune them live, programs them
back, keeps archive files (*.spa) and writes a printable tuning report; with
a service monitor it aligns a radio automatically.

The package holds the desktop application kavrin, the command line
kavrin-cli, the virtual radio kavrin-radio-sim, and a udev rule that lets the
user at the console open the programming cable.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KAVRIN_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
