# What `cmake --install` puts beside the program (its menu entry, launcher,
# software-centre metadata and icons) and how CPack makes the Debian package.
# The program itself is installed by programs/desktop/CMakeLists.txt.

# Without the desktop program there is nothing for a menu to start.
if(NOT TARGET morvask)
  return()
endif()

set(MORVASK_APP_ID io.github.morvask.morvask)
set(MORVASK_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
set(MORVASK_HOMEPAGE "https://github.com/morvask/morvask" CACHE STRING
  "Home page named by the Debian package")
set(MORVASK_PACKAGE_MAINTAINER "Morvask developers <morvask@users.noreply.github.com>" CACHE STRING
  "Maintainer named by the Debian package")

# A software centre shows the newest release of the metadata as the version,
# so a version bump without a release entry would be shown wrongly.
file(READ ${MORVASK_PACKAGING_DIR}/${MORVASK_APP_ID}.metainfo.xml MORVASK_METAINFO)
if(NOT MORVASK_METAINFO MATCHES "<release version=\"${PROJECT_VERSION}\"")
  message(WARNING "packaging/${MORVASK_APP_ID}.metainfo.xml has no <release> for ${PROJECT_VERSION}")
endif()

# The menu starts the launcher, which runs the game in the user's data
# directory; `morvask` typed in a terminal keeps the terminal's directory.
install(PROGRAMS ${MORVASK_PACKAGING_DIR}/morvask-launcher
  DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${MORVASK_PACKAGING_DIR}/${MORVASK_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${MORVASK_PACKAGING_DIR}/${MORVASK_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 24 32 48 96 128 256)
  install(FILES ${MORVASK_ASSET_OUT}/icon-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME ${MORVASK_APP_ID}.png)
endforeach()
# The same tank drawn as a scalable picture, for any other size.
install(FILES ${MORVASK_PACKAGING_DIR}/${MORVASK_APP_ID}.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The manual pages, the changelog and the licence, compressed as Debian
# wants them (gzip -9n: no name or time stamp, the same bytes every build).
find_program(MORVASK_GZIP gzip REQUIRED)
set(MORVASK_DOC_OUT ${CMAKE_BINARY_DIR}/packaging)
set(MORVASK_COMPRESSED)
set(MORVASK_MANUALS morvask.6 morvask-launcher.6)
if(TARGET morvask-lobby)
  list(APPEND MORVASK_MANUALS morvask-lobby.6)
endif()
foreach(source ${MORVASK_MANUALS} debian/changelog)
  get_filename_component(name ${source} NAME)
  add_custom_command(OUTPUT ${MORVASK_DOC_OUT}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${MORVASK_DOC_OUT}
    COMMAND ${MORVASK_GZIP} -9nc ${MORVASK_PACKAGING_DIR}/${source} > ${MORVASK_DOC_OUT}/${name}.gz
    DEPENDS ${MORVASK_PACKAGING_DIR}/${source}
    VERBATIM)
  list(APPEND MORVASK_COMPRESSED ${MORVASK_DOC_OUT}/${name}.gz)
endforeach()
add_custom_target(morvask_docs ALL DEPENDS ${MORVASK_COMPRESSED})
list(TRANSFORM MORVASK_MANUALS PREPEND ${MORVASK_DOC_OUT}/)
list(TRANSFORM MORVASK_MANUALS APPEND .gz)
install(FILES ${MORVASK_MANUALS} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${MORVASK_DOC_OUT}/changelog.gz ${MORVASK_PACKAGING_DIR}/debian/copyright
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/morvask)

# The lobby's service, installed disabled: a player's machine has no use for
# it, a server's administrator enables it (systemctl enable --now). The
# package's scripts only stop it before removal and let systemd forget it.
# Under the prefix: /usr/lib/systemd/system in the package (the same as
# /lib/systemd/system on a merged /usr, and where units are going), and no
# system directory written by an install into a home.
set(MORVASK_SYSTEMD_UNIT_DIR lib/systemd/system CACHE PATH
  "Where the lobby's systemd unit is installed, under the prefix")
if(TARGET morvask-lobby)
  install(FILES ${MORVASK_PACKAGING_DIR}/morvask-lobby.service
    DESTINATION ${MORVASK_SYSTEMD_UNIT_DIR})
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${MORVASK_PACKAGING_DIR}/debian/prerm ${MORVASK_PACKAGING_DIR}/debian/postrm)
endif()

# The Debian package. The libraries come from dpkg-shlibdeps; the message
# boxes' glyphs are built into the program, so it needs no font package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME morvask)
set(CPACK_PACKAGE_VENDOR "Morvask developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${MORVASK_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tank battle game with a built-in map editor")
set(CPACK_PACKAGE_DESCRIPTION
  "Drive one tank over a battlefield of 15 by 11 cells, fight the enemy tanks
that every level sends down from the top edge, pick up the power-ups that
destroyed enemies leave behind, and guard your base at the bottom of the
field. Clear all 35 levels to win.

The map editor in the same window repaints any of the levels with the mouse
and saves them to map.txt, to be played later. Every message of the game is
in Simplified Chinese.")
if(TARGET morvask-lobby)
  string(APPEND CPACK_PACKAGE_DESCRIPTION "

morvask-lobby, the server where two players' programs meet for an online
game and relay through when they cannot reach each other, comes with a
systemd service that is installed disabled.")
endif()
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${MORVASK_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${MORVASK_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Directories such as /usr/share/man/man6 belong to other packages too.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
