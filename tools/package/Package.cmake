# Installation in the usual layout of a Debian game, and the Debian package made from it.
#
#   <prefix>/games/vaultreach                 the launcher: gives each user a game folder
#   <prefix>/lib/games/vaultreach/vaultreach  the game, which plays in its working directory
#   <prefix>/share/games/vaultreach/          the data files the launcher links into that folder
#
# `cmake --install BUILD` installs it; tools/package/build.sh makes vaultreach_<version>_<arch>.deb
# (with `cpack -G DEB` in BUILD), tools/release.sh the same reproducibly. The version is
# project()'s, like the game's own.

include(GNUInstallDirs)

set(VAULTREACH_INSTALL_GAMESDIR games)
set(VAULTREACH_INSTALL_LIBDIR lib/games/vaultreach)
set(VAULTREACH_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/games/vaultreach)
set(VAULTREACH_PACKAGE_DIR ${CMAKE_CURRENT_LIST_DIR})
set(VAULTREACH_PACKAGE_BUILD_DIR ${CMAKE_BINARY_DIR}/package)

# The launcher finds the game and its data relative to where it is installed, so an install
# under any prefix (or unpacked into a scratch root) works.
file(RELATIVE_PATH VAULTREACH_LAUNCHER_TO_DATA /${VAULTREACH_INSTALL_GAMESDIR}
     /${VAULTREACH_INSTALL_DATADIR})
file(RELATIVE_PATH VAULTREACH_LAUNCHER_TO_BINARY /${VAULTREACH_INSTALL_GAMESDIR}
     /${VAULTREACH_INSTALL_LIBDIR}/vaultreach)
configure_file(${VAULTREACH_PACKAGE_DIR}/vaultreach.in ${VAULTREACH_PACKAGE_BUILD_DIR}/vaultreach
               @ONLY)
configure_file(${VAULTREACH_PACKAGE_DIR}/vaultreach.6 ${VAULTREACH_PACKAGE_BUILD_DIR}/vaultreach.6
               @ONLY)

configure_file(${VAULTREACH_PACKAGE_DIR}/changelog ${VAULTREACH_PACKAGE_BUILD_DIR}/changelog
               @ONLY)

# Debian wants the manual page and the change log compressed, reproducibly (no name or time
# stamp inside).
find_program(VAULTREACH_GZIP gzip REQUIRED)
foreach(document vaultreach.6 changelog)
  add_custom_command(
    OUTPUT ${VAULTREACH_PACKAGE_BUILD_DIR}/${document}.gz
    COMMAND ${VAULTREACH_GZIP} -9nfk ${VAULTREACH_PACKAGE_BUILD_DIR}/${document}
    DEPENDS ${VAULTREACH_PACKAGE_BUILD_DIR}/${document}
    COMMENT "Compressing ${document}")
endforeach()
add_custom_target(package_documents ALL
  DEPENDS ${VAULTREACH_PACKAGE_BUILD_DIR}/vaultreach.6.gz ${VAULTREACH_PACKAGE_BUILD_DIR}/changelog.gz)

# Folders the install makes get these permissions whatever the umask, so the package's folders
# are the same in every build.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(TARGETS vaultreach RUNTIME DESTINATION ${VAULTREACH_INSTALL_LIBDIR})
install(FILES ${VAULTREACH_DATA_FILES} DESTINATION ${VAULTREACH_INSTALL_DATADIR})
install(PROGRAMS ${VAULTREACH_PACKAGE_BUILD_DIR}/vaultreach DESTINATION ${VAULTREACH_INSTALL_GAMESDIR})
install(FILES ${VAULTREACH_PACKAGE_BUILD_DIR}/vaultreach.6.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${VAULTREACH_PACKAGE_DIR}/vaultreach.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VAULTREACH_PACKAGE_DIR}/copyright ${VAULTREACH_PACKAGE_BUILD_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vaultreach)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vaultreach)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Vaultreach developers")
set(CPACK_PACKAGE_CONTACT "Vaultreach developers <maintainers@users.noreply.c-seed-dbd6b768.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "text adventure in a besieged castle's dungeon")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tovashal castle is besieged. Walk its dungeon, a fixed grid of ten by ten
cells, to fetch help. Monsters of ten kinds attack on the way and are fought
with opposed dice rolls; what they leave behind can be eaten to heal, and a
sarcastic talking gnome may come along, speaking and casting spells after
every move. The game plays in a terminal, in colour where the terminal has
colours, and plays its title music where a sound device is available.")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Dependencies come from the libraries the game binary links (SDL 1.2, SDL_mixer 1.2, ...).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PROJECT_CONFIG_FILE ${VAULTREACH_PACKAGE_DIR}/CPackChecks.cmake)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
