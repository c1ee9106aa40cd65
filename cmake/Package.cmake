# The Debian package: `cmake --build build --target package` makes
# qzt617_<version>_<arch>.deb from the install rules of cmake/Install.cmake,
# installed under /usr. Depends is computed from the binaries by
# dpkg-shlibdeps, which finds the package's own private libraries through the
# programs' run path and so looks for no other package providing them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qzt617)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "${QZT_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QZT_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "learning software for the QZT-617 universal remote control")
# The summary is the description's first line; CPack indents the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Shows the keys of the QZT-617 universal remote control, plugged in over USB,
and teaches it the infrared codes of other remotes, key by key; learned codes
can be deleted again. A udev rule gives the user at the seat access to the
URC, so nothing runs as root.

The package also holds urc-sim, an emulated URC with a front panel for trying
the program without the device, and ir-encode, which runs the program's
capture cutting and timing encoding over capture texts.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Without XWayland the program cannot place its windows in a Wayland session.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xwayland | xserver-xorg-core")
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL qzt617)
set(CPACK_DEB_COMPONENT_INSTALL OFF)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
