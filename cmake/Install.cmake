# How Pellora installs: `cmake --install build [--prefix P]` puts
#   P/bin/pellora                                 the program
#   P/share/pellora/{gfx,sound,levels}.nuf        its archives
#   P/share/applications/<app id>.desktop         the desktop entry
#   P/share/icons/hicolor/<n>x<n>/apps/pellora.png  the icons, baked from data/art
#   P/share/metainfo/<app id>.metainfo.xml        the AppStream description
#   P/share/man/man6/pellora.6                    the manual page
#   P/bin/pellora-server                          the match lobby and relay
#   P/share/man/man8/pellora-server.8             its manual page
#   P/lib/systemd/system/pellora-server.service   its systemd unit
#   P/share/doc/pellora/examples/pellora-server.conf  its sample configuration
# and `cpack -G DEB` (run in the build folder) packs the same files into a .deb for /usr.
# An installed program finds its archives through ../share/pellora, so the tree can be
# moved as a whole; players' files go to each user's own folder.
include(GNUInstallDirs)

set(PELLORA_APP_ID "org.example.pellora" CACHE STRING
    "The reverse-DNS id of the desktop entry and the AppStream description")
set(PELLORA_HOMEPAGE "https://pellora.example.org" CACHE STRING
    "The project's web address; the AppStream screenshot is published under <homepage>/screenshots/")

set(PELLORA_INSTALL_DIR ${CMAKE_BINARY_DIR}/install-files)
set(PELLORA_ICON_DIR ${PELLORA_INSTALL_DIR}/icons)

# The icons, painted by the baker from the same art as the game's pictures.
set(PELLORA_ICON_SIZES 32 48 64 128 256)
set(PELLORA_ICONS "")
foreach(size ${PELLORA_ICON_SIZES})
  list(APPEND PELLORA_ICONS ${PELLORA_ICON_DIR}/${size}x${size}/pellora.png)
endforeach()
add_custom_command(
  OUTPUT ${PELLORA_ICONS}
  COMMAND pellora-bake --icons ${CMAKE_SOURCE_DIR} ${PELLORA_ICON_DIR}
  DEPENDS pellora-bake ${CMAKE_SOURCE_DIR}/data/art/balls.txt ${CMAKE_SOURCE_DIR}/data/art/scene.txt
  COMMENT "Painting the desktop icons"
  VERBATIM)
add_custom_target(pellora_icons ALL DEPENDS ${PELLORA_ICONS})

configure_file(${CMAKE_SOURCE_DIR}/data/install/pellora.desktop.in
               ${PELLORA_INSTALL_DIR}/${PELLORA_APP_ID}.desktop @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/data/install/pellora.metainfo.xml.in
               ${PELLORA_INSTALL_DIR}/${PELLORA_APP_ID}.metainfo.xml @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/data/install/pellora.6
               ${PELLORA_INSTALL_DIR}/pellora.6 @ONLY)

# The unit names the installed program by its path: the Debian package's unless told.
set(PELLORA_SERVER_BINARY "/usr/bin/pellora-server" CACHE STRING
    "Where the systemd unit finds pellora-server once installed")
configure_file(${CMAKE_SOURCE_DIR}/data/install/pellora-server.8
               ${PELLORA_INSTALL_DIR}/pellora-server.8 @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/data/install/pellora-server.service.in
               ${PELLORA_INSTALL_DIR}/pellora-server.service @ONLY)

install(TARGETS pellora pellora-server RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PELLORA_INSTALL_DIR}/pellora-server.8 DESTINATION ${CMAKE_INSTALL_MANDIR}/man8)
install(FILES ${PELLORA_INSTALL_DIR}/pellora-server.service DESTINATION lib/systemd/system)
install(FILES ${CMAKE_SOURCE_DIR}/data/install/pellora-server.conf DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/pellora/examples)
install(FILES ${PELLORA_DATA_DIR}/gfx.nuf ${PELLORA_DATA_DIR}/sound.nuf ${PELLORA_DATA_DIR}/levels.nuf
        DESTINATION ${CMAKE_INSTALL_DATADIR}/pellora)
install(FILES ${PELLORA_INSTALL_DIR}/${PELLORA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PELLORA_INSTALL_DIR}/${PELLORA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PELLORA_INSTALL_DIR}/pellora.6
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
foreach(size ${PELLORA_ICON_SIZES})
  install(FILES ${PELLORA_ICON_DIR}/${size}x${size}/pellora.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# The Debian package: the same install rules under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pellora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Pellora developers")
set(CPACK_PACKAGE_CONTACT "The Pellora developers <pellora@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ball-shooting puzzle game")
set(CPACK_PACKAGE_DESCRIPTION "Aim the launcher, fire coloured balls into the field that hangs from the top,
and clear groups of three or more before the field creeps down to you.
Power-ups, combos, player profiles, saved games, high scores and a level
editor, in English and Swedish; network matches, with pellora-server to
list them and relay them between players who cannot reach each other.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PELLORA_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
