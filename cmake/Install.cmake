# Installing like a desktop program (GNUInstallDirs):
#   bin/                      qzt617, urc-sim, urc-sim-panel (started by
#                             `urc-sim panel` from beside it), ir-encode,
#                             urc-tool
#   lib/<multiarch>/qzt617/   libtovqel.so, libRorORuru.so and the five
#                             resource libraries: private to the program, so
#                             kept out of the system's library folder
#                             (QZT_PRIVATE_LIBDIR, set at the top level)
#   share/applications/       qzt617.desktop
#   share/icons/hicolor/scalable/apps/qzt617.svg
#   share/man/man1/           a page per program (cmake/ManPages.cmake)
#   share/doc/qzt617/         copyright, changelog.gz
#   lib/udev/rules.d/         70-qzt617-urc.rules (QZT_UDEV_RULES_DIR)
#
# The installed programs find the private folder through their RUNPATH
# ($ORIGIN/../lib/<multiarch>/qzt617, from CMAKE_INSTALL_RPATH at the top
# level): the loader for libtovqel.so, and dlopen for the libraries loaded by
# file name, which look beside the program first and then search the
# program's RUNPATH.
# Included at the end of the top-level file, when every target exists.
install(TARGETS qzt617 urc-sim urc-sim-panel ir-encode urc-tool
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT qzt617)

install(TARGETS tovqel qzt_rororuru
        LIBRARY DESTINATION ${QZT_PRIVATE_LIBDIR} COMPONENT qzt617)

# The good resource libraries only; the broken variants built for the tests
# live in subfolders of build/bin and are never installed.
install(TARGETS qzt_res_one1004 qzt_res_sne1004 qzt_res_fne1004 qzt_res_bne1004 qzt_res_dne1004
        LIBRARY DESTINATION ${QZT_PRIVATE_LIBDIR} COMPONENT qzt617)

install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/qzt617.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT qzt617)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/qzt617.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT qzt617)

get_property(qzt_man_pages GLOBAL PROPERTY QZT_MAN_PAGES)
install(FILES ${qzt_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT qzt617)

# The udev rule that gives the user at the seat access to the URC's hidraw node
# (TAG+="uaccess"). Under the prefix, so that a staged install stays inside it:
# the package's /usr/lib/udev/rules.d, which lintian on Debian 12 checks
# nothing against (its /lib/udev/rules.d draws an appstream hint), and udev
# reads /usr/local/lib/udev/rules.d too. An absolute folder (/etc/udev/rules.d)
# may be given for other prefixes.
set(QZT_UDEV_RULES_DIR "lib/udev/rules.d"
    CACHE STRING "Folder of the URC's udev rule, absolute or under the install prefix")
install(FILES ${PROJECT_SOURCE_DIR}/resources/udev/70-qzt617-urc.rules
        DESTINATION ${QZT_UDEV_RULES_DIR} COMPONENT qzt617)

set(QZT_MAINTAINER "The QZT-617 software developers <developers@qzt617.example.org>"
    CACHE STRING "Maintainer of the Debian package (its control data and changelog)")
configure_file(${PROJECT_SOURCE_DIR}/resources/debian/changelog.in
               ${PROJECT_BINARY_DIR}/doc/changelog @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/doc/changelog.gz
                   COMMAND ${GZIP} -9nkf ${PROJECT_BINARY_DIR}/doc/changelog
                   DEPENDS ${PROJECT_BINARY_DIR}/doc/changelog VERBATIM)
add_custom_target(qzt_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/doc/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/resources/debian/copyright
              ${PROJECT_BINARY_DIR}/doc/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT qzt617)

include(${CMAKE_CURRENT_LIST_DIR}/Package.cmake)
