# Installation of everything but the program itself (app/CMakeLists.txt installs that), the
# packages CPack builds from it, and the checks of the desktop files.
#
#   Linux:   cmake --install <build> [--prefix DIR]   bin/hueclip, desktop entry, metainfo,
#            icons, man page, copyright, changelog;  cpack in <build> makes
#            hueclip_<version>_<arch>.deb
#   Windows: cpack in the MinGW or MSVC build dir makes hueclip-<version>-win64.zip holding
#            hueclip.exe, README.txt and LICENSE.txt
#
# scripts/package builds both.

include(GNUInstallDirs)

set(_res ${PROJECT_SOURCE_DIR}/resources)
set(HUECLIP_APP_ID com.quorvanelabs.Hueclip)

# The version people see is the one in the About window and the version resource, "1.01";
# read it from the one place that holds it.
file(STRINGS ${_res}/product.h _version_line REGEX "^#define HUECLIP_VERSION_TEXT ")
string(REGEX REPLACE ".*\"([^\"]+)\".*" "\\1" HUECLIP_VERSION_TEXT "${_version_line}")
if(NOT HUECLIP_VERSION_TEXT MATCHES "^[0-9][0-9.]*$")
  message(FATAL_ERROR "No HUECLIP_VERSION_TEXT found in resources/product.h")
endif()

set(HUECLIP_MAINTAINER "Quorvane Labs <hueclip@quorvanelabs.com>"
    CACHE STRING "Maintainer field of the Debian package")

# ---- Linux desktop integration --------------------------------------------------------------
if(NOT WIN32 AND HUECLIP_BACKEND STREQUAL "qt")
  set(_linux ${_res}/linux)
  install(FILES ${_linux}/${HUECLIP_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/hueclip RENAME copyright)

  # The icon at the sizes desktops draw launchers at and software centres ask for (64 and up),
  # each made from the one 32 x 32 picture by nearest neighbour, so the pixels stay crisp.
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  set(_icons)
  foreach(_size 32 48 64 128)
    set(_icon ${CMAKE_CURRENT_BINARY_DIR}/icons/${_size}/hueclip.png)
    add_custom_command(OUTPUT ${_icon}
                       COMMAND Python3::Interpreter ${_linux}/make_icon_png.py
                               ${_res}/hueclip.xpm ${_icon} ${_size}
                       DEPENDS ${_linux}/make_icon_png.py ${_res}/make_windows_images.py
                               ${_res}/hueclip.xpm VERBATIM)
    list(APPEND _icons ${_icon})
    install(FILES ${_icon}
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps)
  endforeach()
  add_custom_target(hueclip_icons ALL DEPENDS ${_icons})

  # The changelog's newest entry is this version's; a new version needs its entry first.
  file(STRINGS ${_linux}/changelog _changelog_top LIMIT_COUNT 1)
  string(REPLACE "." "\\." _version_re "${HUECLIP_VERSION_TEXT}")
  if(NOT _changelog_top MATCHES "^hueclip \\(${_version_re}\\) ")
    message(FATAL_ERROR "resources/linux/changelog has no entry for ${HUECLIP_VERSION_TEXT} "
                        "on top (it starts \"${_changelog_top}\")")
  endif()

  # That entry's date is the release date that the AppStream metadata and the man page give, so
  # a software centre shows the same release as the package's changelog.
  file(STRINGS ${_linux}/changelog _changelog_signed REGEX "^ -- " LIMIT_COUNT 1)
  if(NOT _changelog_signed MATCHES
     ", ([0-9]?[0-9]) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) ([0-9][0-9][0-9][0-9]) ")
    message(FATAL_ERROR "resources/linux/changelog: no date in \"${_changelog_signed}\"")
  endif()
  set(_day ${CMAKE_MATCH_1})
  set(_year ${CMAKE_MATCH_3})
  set(_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(FIND _months ${CMAKE_MATCH_2} _month)
  math(EXPR _month "${_month} + 1")
  string(REGEX REPLACE "^([0-9]-)" "0\\1" HUECLIP_RELEASE_DATE "${_month}-${_day}")
  string(REGEX REPLACE "-([0-9])$" "-0\\1" HUECLIP_RELEASE_DATE "${_year}-${HUECLIP_RELEASE_DATE}")

  configure_file(${_linux}/${HUECLIP_APP_ID}.metainfo.xml.in
                 ${CMAKE_CURRENT_BINARY_DIR}/${HUECLIP_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${HUECLIP_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  configure_file(${_linux}/hueclip.1.in ${CMAKE_CURRENT_BINARY_DIR}/hueclip.1 @ONLY)

  # Man page and changelog are installed compressed, as Debian's policy asks (-n: no name or time
  # stamp in the header, so the file is the same on every build).
  find_program(GZIP_EXECUTABLE gzip REQUIRED)
  set(_gz)
  foreach(_pair "${CMAKE_CURRENT_BINARY_DIR}/hueclip.1;${CMAKE_INSTALL_MANDIR}/man1"
                "${_linux}/changelog;${CMAKE_INSTALL_DATADIR}/doc/hueclip")
    list(GET _pair 0 _source)
    list(GET _pair 1 _dir)
    get_filename_component(_file ${_source} NAME)
    add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${_file}.gz
                       COMMAND ${GZIP_EXECUTABLE} -9 -n -c ${_source}
                               > ${CMAKE_CURRENT_BINARY_DIR}/${_file}.gz
                       DEPENDS ${_source} VERBATIM)
    list(APPEND _gz ${CMAKE_CURRENT_BINARY_DIR}/${_file}.gz)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${_file}.gz DESTINATION ${_dir})
  endforeach()
  add_custom_target(hueclip_gzipped ALL DEPENDS ${_gz})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_linux}/changelog)
endif()

# ---- Windows zip contents -------------------------------------------------------------------
if(WIN32)
  # Text files in the zip get CR LF line ends, so that every Windows editor shows them right.
  foreach(_pair "windows-readme.txt;README.txt" "../LICENSE;LICENSE.txt")
    list(GET _pair 0 _from)
    list(GET _pair 1 _to)
    file(READ ${_res}/${_from} _text)
    string(REPLACE "\r\n" "\n" _text "${_text}")
    string(REPLACE "\n" "\r\n" _text "${_text}")
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/zip/${_to} "${_text}")
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/zip/${_to} DESTINATION .)
  endforeach()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
               ${_res}/windows-readme.txt ${PROJECT_SOURCE_DIR}/LICENSE)
endif()

# ---- CPack ----------------------------------------------------------------------------------
set(CPACK_PACKAGE_NAME hueclip)
set(CPACK_PACKAGE_VENDOR "Quorvane Labs")
set(CPACK_PACKAGE_VERSION ${HUECLIP_VERSION_TEXT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.quorvanelabs.com/")
set(CPACK_PACKAGE_CONTACT "${HUECLIP_MAINTAINER}")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CHECKSUM SHA256)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME hueclip-${HUECLIP_VERSION_TEXT}-win64)
  # The files sit at the top of the zip; Windows' "Extract all" puts them in a folder named
  # after the zip anyway.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${HUECLIP_MAINTAINER}")
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${CPACK_PACKAGE_HOMEPAGE_URL}")
  # The dependencies are the libraries the program links, as dpkg-shlibdeps finds them; Qt's
  # X11 platform plugin comes with libqt6gui6, which that list holds.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The first line of the package's description is CPACK_PACKAGE_DESCRIPTION_SUMMARY.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "Hueclip is one small window. Ten times a second it reads the 5 x 5 block of
screen pixels around the mouse pointer and shows it enlarged as 25 cells, with
four readouts for the selected cell: the pointer position, the colour as
#RRGGBB, its red, green and blue components and the packed colour value.
W, A, S and D move the selection, F freezes the block and C copies all four
readouts to the clipboard; a click on a readout copies it alone.

It reads the screen through X11, and on GNOME and KDE Wayland desktops through
the desktop's screen sharing (xdg-desktop-portal and PipeWire).")
  # The link to the maker's page opens through xdg-open (with the portal's OpenURI as a
  # fallback, when that is built). Wayland desktops share the screen through the portal; without
  # it Hueclip still runs, but reads only X11 windows there.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
  if(HUECLIP_PORTAL)
    string(APPEND CPACK_DEBIAN_PACKAGE_RECOMMENDS
           ", xdg-desktop-portal, xdg-desktop-portal-gnome | xdg-desktop-portal-kde, pipewire")
  endif()
endif()

include(CPack)

# ---- Checks ---------------------------------------------------------------------------------
if(HUECLIP_TESTS AND NOT WIN32)
  add_subdirectory(${PROJECT_SOURCE_DIR}/tests/packaging ${CMAKE_CURRENT_BINARY_DIR}/tests/packaging)
endif()
