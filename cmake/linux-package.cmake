# Installing the Linux program, and its Debian package.
#   cmake --install:  bin/blindfold, its menu entry, its icon in the hicolor
#                     theme, and share/blindfold/ with what it reads at run time
#   cpack:            blindfold_<version>_amd64.deb, its dependencies computed
#                     by dpkg-shlibdeps
include(GNUInstallDirs)

install(TARGETS Blindfold RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The program looks for these in ../share/blindfold beside its bin folder.
install(FILES ${PROJECT_SOURCE_DIR}/assets/acknowledgments.TXT ${PROJECT_SOURCE_DIR}/assets/blindfold.svg
              ${PROJECT_SOURCE_DIR}/assets/bf.ico DESTINATION ${CMAKE_INSTALL_DATADIR}/blindfold)
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

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME blindfold)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "${BLINDFOLD_PUBLISHER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "hides chosen windows at the press of a hotkey")
# One text: the pieces of a plain set() would be joined with semicolons.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Blindfold hides the windows you choose, and the panels and desktop icons if you like, at the press of a "
  "system-wide hotkey, and shows them again on the next press. A panic hotkey hides every window at once, an "
  "always-hide list picks windows automatically, an optional password guards showing them again, and the volume "
  "can be muted while they are hidden. It needs an X11 session.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${BLINDFOLD_PUBLISHER} <maintainers@${BLINDFOLD_WEB_HOST}>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://${BLINDFOLD_WEB_HOST}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Drawing the SVG icon at run time.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "librsvg2-common")
include(CPack)
