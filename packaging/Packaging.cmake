# What the Debian package installs, and how CPack builds it (scripts/package.sh).

# The manual page and the bash completion of quorvel-cli are made from its command table at build
# time by a small generator that is not installed.
add_executable(quorvel-docgen ${CMAKE_SOURCE_DIR}/tools/quorvel-docgen.cpp)
target_link_libraries(quorvel-docgen PRIVATE quorvel_cli)

set(generated ${CMAKE_BINARY_DIR}/packaging)
add_custom_command(OUTPUT ${generated}/quorvel-cli.1.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}
  COMMAND quorvel-docgen man > ${generated}/quorvel-cli.1
  COMMAND gzip -9nf ${generated}/quorvel-cli.1
  DEPENDS quorvel-docgen VERBATIM)
add_custom_command(OUTPUT ${generated}/quorvel-cli.bash
  COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}
  COMMAND quorvel-docgen bash-completion > ${generated}/quorvel-cli.bash
  DEPENDS quorvel-docgen VERBATIM)
add_custom_command(OUTPUT ${generated}/quorvel.1.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}
  COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/packaging/quorvel.1 > ${generated}/quorvel.1.gz
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/quorvel.1 VERBATIM)
add_custom_command(OUTPUT ${generated}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}
  COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/packaging/changelog > ${generated}/changelog.gz
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog VERBATIM)
add_custom_target(quorvel-docs ALL DEPENDS ${generated}/quorvel-cli.1.gz ${generated}/quorvel-cli.bash
                                           ${generated}/quorvel.1.gz ${generated}/changelog.gz)
configure_file(${CMAKE_SOURCE_DIR}/packaging/io.github.quorvel.Quorvel.metainfo.xml
               ${generated}/io.github.quorvel.Quorvel.metainfo.xml @ONLY)

install(TARGETS quorvel quorvel-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES packaging/quorvel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/quorvel.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 256)
  install(FILES packaging/quorvel-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME quorvel.png)
endforeach()
install(FILES ${generated}/io.github.quorvel.Quorvel.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${generated}/quorvel.1.gz ${generated}/quorvel-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${generated}/quorvel-cli.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME quorvel-cli)
install(FILES README.md packaging/copyright ${generated}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quorvel)
install(FILES resources/manual/index.html DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quorvel/manual)

set(QUORVEL_MAINTAINER "The Quorvel developers <quorvel@example.org>" CACHE STRING
    "The Maintainer field of the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${QUORVEL_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Loaded at run time, so dpkg-shlibdeps cannot see them: the SQLite driver of Qt Sql, the platform
# plugins that put a window on the screen, Qt's Chinese dialog texts and a Chinese font.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-wqy-microhei")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "formula analysis for the Happy Ten lotteries")
# The extended description: CPack indents it and marks the empty line as a paragraph break.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Quorvel keeps a history of the draws of the eight regional Happy Ten
lotteries (eight different numbers from 1 to 20 drawn in order) and a
library of prediction formulas. It verifies every formula against the
history, searches for new formulas and ranks the numbers of the next draw,
and says beside each figure what chance alone would give.

The package holds the window program and its command-line companion
quorvel-cli.")
include(CPack)
