# The Debian package, packed by CPack from the install rules: `cpack -G DEB` in a build tree
# writes velmorande_<version>_<architecture>.deb, installing to /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmorande)
set(CPACK_PACKAGE_VENDOR Talvo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(VELMORANDE_PACKAGE_MAINTAINER "Talvo <velmorande@talvo.audio>" CACHE STRING
    "The Debian package's maintainer: name <address>")
set(CPACK_PACKAGE_CONTACT ${VELMORANDE_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VELMORANDE_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends: what dpkg-shlibdeps finds the binaries linked against.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "reverse-delay audio effect (VST 2.x and LV2) with a plug-in host")
set(CPACK_PACKAGE_DESCRIPTION [=[
Velmorande is a stereo reverse-delay effect: its echoes play backwards, from
two taps spread across the stereo field, at a note value of the host's tempo or
a time in milliseconds, with feedback, a low-pass filter on the echoes and 20
factory presets. It shows a panel of its own in the host's window.

This package holds the effect as a VST 2.x plug-in (/usr/lib/vst) and as an LV2
plug-in (/usr/lib/lv2), for Ardour, REAPER, Bitwig Studio, Carla, Qtractor and
other Linux hosts, and velmorande-host, a command-line host that renders audio
files through any VST 2.x plug-in and checks plug-ins for faults.]=])
# The package's changelog, added to the documents when packing.
set(CPACK_VELMORANDE_CHANGELOG ${CMAKE_CURRENT_LIST_DIR}/changelog)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/debian_documents.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/debian_repack.cmake)
include(CPack)
