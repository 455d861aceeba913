# SPDX-License-Identifier: GPL-3.0-or-later
# What a release installs besides the programs, the language files, the desktop entry and the
# icon: the manual pages, the software-centre metainfo, and the Debian package's changelog and
# copyright; and the Debian package itself, made by CPack from the install rules
# (`cpack --preset package`, or scripts/package.sh). Every one of them takes its version from
# project() and its release notes from CHANGELOG.md.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(FENNIMO_APP_ID org.example.fennimo)
set(FENNIMO_MAINTAINER "The Fennimo developers <developers@fennimo.example.org>")

set(release_tool ${PROJECT_SOURCE_DIR}/packaging/release_files.py)
set(changelog ${PROJECT_SOURCE_DIR}/CHANGELOG.md)
set(out ${PROJECT_BINARY_DIR}/release)
set(release_files)

# fennimo_release_file(<output> <kind> <arguments…> DEPENDS <files…>): a file made by the tool.
function(fennimo_release_file output kind)
  cmake_parse_arguments(R "" "" "DEPENDS" ${ARGN})
  add_custom_command(OUTPUT ${output}
    COMMAND Python3::Interpreter ${release_tool} ${kind} ${PROJECT_VERSION} ${changelog}
            ${R_UNPARSED_ARGUMENTS} ${output}
    DEPENDS ${release_tool} ${changelog} ${R_DEPENDS}
    COMMENT "Making ${output}"
    VERBATIM)
  set(release_files ${release_files} ${output} PARENT_SCOPE)
endfunction()

set(pages fennimo-pack)
if(TARGET fennimo)
  list(APPEND pages fennimo)
  fennimo_release_file(${out}/${FENNIMO_APP_ID}.metainfo.xml metainfo
    ${PROJECT_SOURCE_DIR}/resources/${FENNIMO_APP_ID}.metainfo.xml.in
    DEPENDS ${PROJECT_SOURCE_DIR}/resources/${FENNIMO_APP_ID}.metainfo.xml.in)
  install(FILES ${out}/${FENNIMO_APP_ID}.metainfo.xml DESTINATION share/metainfo)
endif()
foreach(page ${pages})
  fennimo_release_file(${out}/${page}.1.gz man ${PROJECT_SOURCE_DIR}/man/${page}.1
    DEPENDS ${PROJECT_SOURCE_DIR}/man/${page}.1)
  install(FILES ${out}/${page}.1.gz DESTINATION share/man/man1)
endforeach()
fennimo_release_file(${out}/changelog.gz debian-changelog fennimo ${FENNIMO_MAINTAINER})
install(FILES ${out}/changelog.gz ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION share/doc/fennimo)
add_custom_target(fennimo_release_files ALL DEPENDS ${release_files})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fennimo)
set(CPACK_PACKAGE_VENDOR "The Fennimo developers")
set(CPACK_PACKAGE_CONTACT "${FENNIMO_MAINTAINER}")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://fennimo.example.org/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for the smile packs of the Parlino messenger")
# Lines of at most 79 characters, as Debian's tools show them on an 80-column terminal.
set(CPACK_PACKAGE_DESCRIPTION
  "Fennimo edits the smile packs of the Parlino messenger: a folder with a
definition file that gives every smile its text codes, and one picture per
smile. It opens a pack into a private working copy, checks it, shows every
smile animated with its codes, and adds, inserts, deletes, moves and
re-pictures smiles and edits their codes. Every edit is written at once and
survives a crash, undo and redo survive a restart, and pictures of any common
kind are converted to what the pack stores.
.
The command-line tool fennimo-pack checks packs and language files, writes
the frames of a smile picture, and turns the emoticon themes of Pidgin, KDE
and Adium and the icon sets of Psi into packs and packs into such themes.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link are found by dpkg-shlibdeps; what Qt loads at run time is
# named here: the picture formats beyond Qt's own (WebP among them), and Qt's translations for
# its own dialogs. The display platforms the editor needs (X11, and offscreen) come with
# libqt6gui6 itself.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-image-formats-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
include(CPack)
