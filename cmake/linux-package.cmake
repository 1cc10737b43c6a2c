# Installing the Linux program, and its Debian package.
#   cmake --install:  bin/blindfold, its manual page, its menu entry, its icon
#                     in the hicolor theme, its GNOME Shell extension, share/blindfold/ with what it reads
#                     at run time, and share/doc/blindfold/ with the copyright
#                     and the changelog
#   cpack:            blindfold_<version>-1_amd64.deb, its dependencies
#                     computed by dpkg-shlibdeps
include(GNUInstallDirs)

install(TARGETS Blindfold RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The program looks for these in ../share/blindfold beside its bin folder.
install(FILES ${PROJECT_SOURCE_DIR}/assets/acknowledgments.TXT ${PROJECT_SOURCE_DIR}/assets/blindfold.svg
              ${PROJECT_SOURCE_DIR}/assets/bf.ico ${PROJECT_SOURCE_DIR}/packaging/kwin/blindfold-kwin.js
              DESTINATION ${CMAKE_INSTALL_DATADIR}/blindfold)
# The GNOME Shell extension where the Shell finds it for every user (GNOME 43
# and 44, as Debian's), and the one for GNOME 45 and later beside the program's
# data, for a user of a newer GNOME to copy into
# ~/.local/share/gnome-shell/extensions/.
install(DIRECTORY ${CMAKE_BINARY_DIR}/gnome-shell/blindfold@blindfold.example
        DESTINATION ${CMAKE_INSTALL_DATADIR}/gnome-shell/extensions)
install(DIRECTORY ${CMAKE_BINARY_DIR}/gnome-shell-45/blindfold@blindfold.example
        DESTINATION ${CMAKE_INSTALL_DATADIR}/blindfold/gnome-shell-45)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/linux/blindfold.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/assets/blindfold.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The theme's fixed sizes, for the menus and trays that do not scale SVG
# themselves. The small ones have drawings of their own on their pixel grid,
# as the Windows icon has (scripts/make-icon.sh); 22 pixels is the 20-pixel
# drawing with a pixel of margin round it.
find_program(RSVG_CONVERT rsvg-convert)
if(RSVG_CONVERT)
  set(icons)
  foreach(size 16 22 24 32 48 64 128 256)
    set(icon ${CMAKE_BINARY_DIR}/icons/${size}x${size}/blindfold.png)
    set(drawn ${size})
    if(size EQUAL 22)
      set(drawn 20)
    endif()
    set(drawing ${PROJECT_SOURCE_DIR}/assets/blindfold-${drawn}.svg)
    if(NOT EXISTS ${drawing})
      set(drawing ${PROJECT_SOURCE_DIR}/assets/blindfold.svg)
    endif()
    math(EXPR margin "(${size} - ${drawn}) / 2")
    add_custom_command(OUTPUT ${icon}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
      COMMAND ${RSVG_CONVERT} -w ${drawn} -h ${drawn} --page-width ${size} --page-height ${size}
              --left ${margin} --top ${margin} -o ${icon} ${drawing}
      DEPENDS ${drawing}
      VERBATIM)
    list(APPEND icons ${icon})
    install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(blindfold_icons ALL DEPENDS ${icons})
endif()

# The manual page and the Debian documents, compressed as Debian ships them:
# gzip -9n, which leaves out the file's name and time, so that the same source
# gives the same package.
set(BLINDFOLD_DEBIAN_RELEASE 1)
set(BLINDFOLD_DEBIAN_VERSION ${PROJECT_VERSION}-${BLINDFOLD_DEBIAN_RELEASE})
set(BLINDFOLD_MAINTAINER "${BLINDFOLD_PUBLISHER} <maintainers@${BLINDFOLD_WEB_HOST}>")
# The changelog entry is dated by the last commit (or SOURCE_DATE_EPOCH, as
# reproducible builds set it), not by the moment of the build.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE commitTime OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  endif()
  if(commitTime MATCHES "^[0-9]+$")
    set(ENV{SOURCE_DATE_EPOCH} ${commitTime})
    string(TIMESTAMP BLINDFOLD_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
    unset(ENV{SOURCE_DATE_EPOCH})
  endif()
endif()
if(NOT BLINDFOLD_CHANGELOG_DATE)
  string(TIMESTAMP BLINDFOLD_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
endif()
set(docs ${CMAKE_BINARY_DIR}/doc)
configure_file(${PROJECT_SOURCE_DIR}/packaging/linux/changelog.Debian.in ${docs}/changelog.Debian @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/linux/copyright.in ${docs}/copyright @ONLY)
find_program(GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${docs}/blindfold.1.gz ${docs}/changelog.Debian.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/linux/blindfold.1 ${docs}/blindfold.1
  COMMAND ${GZIP} -9nf ${docs}/blindfold.1
  COMMAND ${GZIP} -9nfk ${docs}/changelog.Debian
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/linux/blindfold.1 ${docs}/changelog.Debian
  VERBATIM)
add_custom_target(blindfold_docs ALL DEPENDS ${docs}/blindfold.1.gz ${docs}/changelog.Debian.gz)
install(FILES ${docs}/blindfold.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# share/doc/blindfold, in the program's lower-case name (GNUInstallDirs would
# name the folder after the CMake project).
install(FILES ${docs}/copyright ${docs}/changelog.Debian.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/blindfold)
# What lintian would take for a mistake and is not one (the file says why).
install(FILES ${PROJECT_SOURCE_DIR}/packaging/linux/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME blindfold)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME blindfold)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "${BLINDFOLD_PUBLISHER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "hides chosen windows at the press of a hotkey")
# One text (the pieces of a plain set() would be joined with semicolons), in
# the lines the package's description shows: cpack indents them.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Blindfold hides the windows you choose, and the panels and desktop icons\n"
  "if you like, at the press of a system-wide hotkey, and shows them again on\n"
  "the next press. A panic hotkey hides every window at once, an always-hide\n"
  "list picks windows automatically, an optional password guards showing them\n"
  "again, and the volume can be muted while they are hidden.\n"
  "\n"
  "It works on X11 desktops (with its tray icon in an XEmbed system tray), on\n"
  "i3, and on Wayland under sway and KDE Plasma, through the compositor's own\n"
  "door (its tray icon a StatusNotifierItem there). The hotkeys' work can also\n"
  "be bound to keys in the desktop's own keyboard settings, as commands\n"
  "(blindfold --toggle).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${BLINDFOLD_DEBIAN_RELEASE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${BLINDFOLD_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The program without its symbol table; control files with the modes
# dpkg-deb would give them.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://${BLINDFOLD_WEB_HOST}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Drawing the SVG icon at run time.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "librsvg2-common")
include(CPack)
