# Installing Sorvex into a system, and the Debian package made from that
# installation: `cpack -G DEB` in the build folder gives sorvex_<version>_<arch>.deb.
include(GNUInstallDirs)

set(SORVEX_ICON_DIR ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
set(SORVEX_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/sorvex)

set(SORVEX_MAINTAINER "Sorvex developers <sorvex@example.org>"
    CACHE STRING "Maintainer field of the Debian package")

install(TARGETS sorvex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A stripped install (cpack, `cmake --install --strip`) also drops the compilers'
# notes in .comment, as Debian's own packages do.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/sorvex\"
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()")
install(FILES ${PROJECT_SOURCE_DIR}/resources/sorvex.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The application icon: every drawn size, each as <N>x<N>/apps/sorvex.png, and the vector master.
file(GLOB sorvex_icons CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/icons/sorvex-*.png)
foreach(icon IN LISTS sorvex_icons)
  get_filename_component(icon_name ${icon} NAME)
  if(NOT icon_name MATCHES "^sorvex-([0-9]+)\\.png$")
    message(FATAL_ERROR "Application icon with no size in its name: ${icon}")
  endif()
  install(FILES ${icon} DESTINATION ${SORVEX_ICON_DIR}/${CMAKE_MATCH_1}x${CMAKE_MATCH_1}/apps
          RENAME sorvex.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/resources/sorvex.svg DESTINATION ${SORVEX_ICON_DIR}/scalable/apps)

# "Уничтожить с помощью Sorvex" in the file managers' menus: Dolphin, Nemo,
# Files (Nautilus) through nautilus-python, Caja, PCManFM and PCManFM-Qt
# through a FileManager-Actions entry, and Thunar's "Send To" menu.
set(sorvex_actions ${PROJECT_SOURCE_DIR}/resources/filemanager)
install(FILES ${sorvex_actions}/sorvex-shred.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/kio/servicemenus)
install(FILES ${sorvex_actions}/sorvex-shred.nemo_action DESTINATION ${CMAKE_INSTALL_DATADIR}/nemo/actions)
install(FILES ${sorvex_actions}/sorvex_shred.py DESTINATION ${CMAKE_INSTALL_DATADIR}/nautilus-python/extensions)
install(FILES ${sorvex_actions}/sorvex-shred-fma.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/file-manager/actions
        RENAME sorvex-shred.desktop)
install(FILES ${sorvex_actions}/sorvex-shred-thunar.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/Thunar/sendto
        RENAME sorvex-shred.desktop)
# And "Затереть свободное место здесь" on folders, in the same menus.
install(FILES ${sorvex_actions}/sorvex-free-space.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/kio/servicemenus)
install(FILES ${sorvex_actions}/sorvex-free-space.nemo_action DESTINATION ${CMAKE_INSTALL_DATADIR}/nemo/actions)
install(FILES ${sorvex_actions}/sorvex-free-space-fma.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/file-manager/actions
        RENAME sorvex-free-space.desktop)
install(FILES ${sorvex_actions}/sorvex-free-space-thunar.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/Thunar/sendto
        RENAME sorvex-free-space.desktop)

# What software centres show. Sorvex has no web address of its own: the
# package and the metadata name no home page.
configure_file(${PROJECT_SOURCE_DIR}/resources/sorvex.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/org.example.sorvex.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/org.example.sorvex.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The manual page and the package's changelog, gzipped as Debian ships them
# (-n: no name or time in the header, so that the same text gives the same file).
configure_file(${PROJECT_SOURCE_DIR}/docs/sorvex.1.in ${PROJECT_BINARY_DIR}/sorvex.1 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog ${PROJECT_BINARY_DIR}/changelog COPYONLY)
find_program(SORVEX_GZIP NAMES gzip REQUIRED)
set(sorvex_gzipped)
foreach(text IN ITEMS sorvex.1 changelog)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/${text}.gz
    COMMAND ${SORVEX_GZIP} -9 -n -f -k ${PROJECT_BINARY_DIR}/${text}
    DEPENDS ${PROJECT_BINARY_DIR}/${text}
    COMMENT "Compressing ${text}" VERBATIM)
  list(APPEND sorvex_gzipped ${PROJECT_BINARY_DIR}/${text}.gz)
endforeach()
# Made with the program, so that a build of the program alone can be installed.
add_custom_target(sorvex_gzipped DEPENDS ${sorvex_gzipped})
add_dependencies(sorvex sorvex_gzipped)
install(FILES ${PROJECT_BINARY_DIR}/sorvex.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_BINARY_DIR}/changelog.gz ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${SORVEX_DOC_DIR})

set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sorvex)
set(CPACK_PACKAGE_VENDOR "Sorvex")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${SORVEX_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop file shredder with a Russian interface")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Sorvex overwrites the files you list, and every file below the folders you\n"
    "list, in place with one of four methods, then deletes them, so that they\n"
    "cannot be brought back. Symbolic links are deleted as links.\n"
    "\n"
    "From the file manager: select files and folders and choose\n"
    "\"Уничтожить с помощью Sorvex\" in Dolphin, Nemo, Files (Nautilus) with\n"
    "python3-nautilus installed, Caja with caja-actions, PCManFM or PCManFM-Qt,\n"
    "or in Thunar's \"Send To\" menu. Sorvex starts with them already listed, and\n"
    "destroys nothing until a method is chosen.\n"
    "\n"
    "It also writes over the free space of a file system, where a run's old\n"
    "data may remain (copy-on-write, journals): from its report, with\n"
    "sorvex --free-space FOLDER, or with \"Затереть свободное место здесь\"\n"
    "on a folder.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${SORVEX_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the program links (Qt 6, libjpeg, libc, libstdc++) are found by
# dpkg-shlibdeps. The xcb platform plugin Qt loads at start-up is not linked,
# but on Debian 12 it ships in libqt6gui6, which the program links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Not linked, but read at start-up: Qt's Russian words (buttons of the
# dialogs and boxes, the usage), and the font the pages are laid out for.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, fonts-liberation")
# nautilus-python loads the action for Files (Nautilus), Debian's default file manager.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS python3-nautilus)

set(CPACK_SOURCE_IGNORE_FILES "/\\.git/" "/build[^/]*/" "/out/")

include(CPack)
