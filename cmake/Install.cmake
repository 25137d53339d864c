# SPDX-License-Identifier: GPL-3.0-or-later
# Installation and the Debian package.
#
# The program folder keeps the layout of the build's bin/: the programs, the
# companion library, the tips, the help pages and the sample folder "Images"
# side by side, because the editor and the command line tool find all of
# them beside their own executable. It goes to lib/frameloom; bin/ holds
# links to the two programs a user starts. The desktop entry, the icons, the
# AppStream metadata and the image/gif association go where desktops look.

set(FL_PROGRAM_DIR lib/frameloom)
set(FL_APP_ID org.frameloom.Frameloom)
set(FL_DESKTOP_DIR ${CMAKE_SOURCE_DIR}/resources/desktop)

install(TARGETS frameloom frameloom-cli frameloom-formats RUNTIME DESTINATION ${FL_PROGRAM_DIR})
install(TARGETS Reellib LIBRARY DESTINATION ${FL_PROGRAM_DIR} NAMELINK_SKIP)
install(FILES ${CMAKE_SOURCE_DIR}/resources/Tips.txt DESTINATION ${FL_PROGRAM_DIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/help/ DESTINATION ${FL_PROGRAM_DIR}/help)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/samples/ DESTINATION ${FL_PROGRAM_DIR}/Images)

# Relative links, so that the tree works wherever it is unpacked.
foreach(program frameloom frameloom-cli)
  install(CODE "
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
    file(CREATE_LINK \"../${FL_PROGRAM_DIR}/${program}\" \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/${program}\" SYMBOLIC)
    message(STATUS \"Installing: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/${program} -> ../${FL_PROGRAM_DIR}/${program}\")")
endforeach()

install(FILES ${FL_DESKTOP_DIR}/${FL_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${FL_DESKTOP_DIR}/${FL_APP_ID}.metainfo.xml DESTINATION share/metainfo)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${FL_DESKTOP_DIR}/icons/frameloom-${size}.png DESTINATION share/icons/hicolor/${size}x${size}/apps
          RENAME ${FL_APP_ID}.png)
endforeach()
install(FILES ${FL_DESKTOP_DIR}/${FL_APP_ID}.svg DESTINATION share/icons/hicolor/scalable/apps)

# The .deb: its dependencies are the Debian packages of the libraries the
# programs link (dpkg-shlibdeps finds them), plus the Qt platform plugins,
# which Qt loads at run time.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME frameloom)
set(CPACK_PACKAGE_VENDOR "Frameloom")
set(CPACK_PACKAGE_CONTACT "Frameloom developers <frameloom@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor for animated GIF images")
set(CPACK_PACKAGE_DESCRIPTION
    "Frameloom opens, edits, optimizes, plays and saves animated GIF images, builds them from still\n"
    "images and video, and exports them as images, video and web pages.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_STRIP_FILES ON)
include(CPack)
