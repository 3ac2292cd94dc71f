# What `cmake --install` puts beside the program (its menu entry, launcher,
# software-centre metadata and icons) and how CPack makes the Debian package.
# The program itself is installed by platform/sdl/CMakeLists.txt.

# Without the desktop program there is nothing for a menu to start.
if(NOT TARGET morvask)
  return()
endif()

set(MORVASK_APP_ID io.github.morvask.Morvask)
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
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${MORVASK_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${MORVASK_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
