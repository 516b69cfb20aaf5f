# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# Installation layout and the Debian package (cpack -G DEB).
#
# The engine reads "pelmok.opn" from its working directory, so the book lives
# in its own data directory and the xboard plug-in file starts the engine
# there: xboard turns the plug-in's "cd DIR;COMMAND" into "COMMAND -fd DIR"
# when it registers the engine (a blank after the ";" would end up quoted in
# the engine's name). The command is a full path because /usr/games is not in
# every PATH (root's, for one). Paths in the plug-in file are those of the
# package (prefix /usr), not of CMAKE_INSTALL_PREFIX.

if(NOT UNIX OR APPLE)
  return()
endif()

set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(PELMOK_BIN_DIR "games")
set(PELMOK_DATA_DIR "share/games/pelmok")
set(PELMOK_PLUGIN_DIR "share/games/plugins/xboard")
set(PELMOK_MAN_DIR "share/man/man6")
set(PELMOK_BOOK_DIR "${CPACK_PACKAGING_INSTALL_PREFIX}/${PELMOK_DATA_DIR}")
set(PELMOK_ENGINE_PATH "${CPACK_PACKAGING_INSTALL_PREFIX}/${PELMOK_BIN_DIR}/pelmok")

# Directories the package creates are 0755 whatever the builder's umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Both programs go to /usr/games: pelmok-tools is the engine's own companion
# (perft, bench, analysis of one position), of no use apart from it.
install(TARGETS pelmok pelmok-tools RUNTIME DESTINATION "${PELMOK_BIN_DIR}")

install(FILES "${CMAKE_CURRENT_SOURCE_DIR}/pelmok.opn" DESTINATION "${PELMOK_DATA_DIR}")

# The first line names xboard's plug-in file format and its version, as in
# Debian's own engines' files ("plugin", the format's name, "0.0").
string(CONCAT PELMOK_PLUGIN_HEADER "plugin " "sp" "ec 0.0")
configure_file("${CMAKE_CURRENT_LIST_DIR}/pelmok.eng.in" "${CMAKE_CURRENT_BINARY_DIR}/pelmok.eng" @ONLY)
install(FILES "${CMAKE_CURRENT_BINARY_DIR}/pelmok.eng" DESTINATION "${PELMOK_PLUGIN_DIR}")

# Debian ships manual pages compressed; -n keeps the archive reproducible.
find_program(PELMOK_GZIP gzip)
set(PELMOK_MAN_PAGES pelmok.6 pelmok-tools.6)
foreach(page ${PELMOK_MAN_PAGES})
  if(PELMOK_GZIP)
    add_custom_command(
      OUTPUT "${CMAKE_CURRENT_BINARY_DIR}/${page}.gz"
      COMMAND "${PELMOK_GZIP}" -9 -n -c "${CMAKE_CURRENT_LIST_DIR}/${page}"
              > "${CMAKE_CURRENT_BINARY_DIR}/${page}.gz"
      DEPENDS "${CMAKE_CURRENT_LIST_DIR}/${page}"
      VERBATIM)
    list(APPEND PELMOK_MAN_OUTPUTS "${CMAKE_CURRENT_BINARY_DIR}/${page}.gz")
  else()
    list(APPEND PELMOK_MAN_OUTPUTS "${CMAKE_CURRENT_LIST_DIR}/${page}")
  endif()
endforeach()
if(PELMOK_GZIP)
  add_custom_target(pelmok-manpages ALL DEPENDS ${PELMOK_MAN_OUTPUTS})
endif()
install(FILES ${PELMOK_MAN_OUTPUTS} DESTINATION "${PELMOK_MAN_DIR}")

set(PELMOK_DEB_MAINTAINER "pelmok developers <pelmok@example.org>"
  CACHE STRING "Maintainer field of the Debian package")
set(PELMOK_DEB_RELEASE "1")

# Every Debian package documents its licence in /usr/share/doc/PACKAGE/copyright
# (machine-readable, pointing at the system's copy of the GPL) and carries a
# changelog for its version; the changelog is compressed like the manual pages.
set(PELMOK_DOC_DIR "share/doc/pelmok")
set(PELMOK_DEB_VERSION "${PROJECT_VERSION}-${PELMOK_DEB_RELEASE}")
configure_file("${CMAKE_CURRENT_LIST_DIR}/changelog.Debian.in"
  "${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian" @ONLY)
install(FILES "${CMAKE_CURRENT_LIST_DIR}/copyright" DESTINATION "${PELMOK_DOC_DIR}")
if(PELMOK_GZIP)
  add_custom_command(
    OUTPUT "${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian.gz"
    COMMAND "${PELMOK_GZIP}" -9 -n -c "${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian"
            > "${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian.gz"
    DEPENDS "${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian"
    VERBATIM)
  add_custom_target(pelmok-changelog ALL DEPENDS "${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian.gz")
  install(FILES "${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian.gz" DESTINATION "${PELMOK_DOC_DIR}")
endif()

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "pelmok")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "${PELMOK_DEB_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "chess engine for xboard")
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${PELMOK_DEB_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_RELEASE "${PELMOK_DEB_RELEASE}")
set(CPACK_DEBIAN_FILE_NAME "DEB-DEFAULT")
set(CPACK_DEBIAN_PACKAGE_SECTION "games")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xboard")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
# CPack puts the summary line in front of this.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "pelmok is a chess program that plays against a human or another engine
through a graphical front end speaking the xboard protocol, such as xboard.
It plays from a small opening book of main lines, then searches with
alpha-beta, keeping to the time control the front end sets.
.
The package registers the engine with xboard through a plug-in file, and
also ships pelmok-tools, which counts move paths (perft), runs a fixed
benchmark and evaluates or searches a single position.")

# dpkg-shlibdeps (dpkg-dev) works out the library versions; without it the
# libraries a C++ program always needs are named by hand.
find_program(PELMOK_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(PELMOK_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libgcc-s1, libstdc++6")
endif()

include(CPack)
