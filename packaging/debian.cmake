# The Debian package, which scripts/package builds. Its dependencies are computed from the
# programs' shared libraries. The desktop database, the MIME database and the icon cache pick
# up the installed files through their own triggers, so the package needs no scripts of its own.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvix)
set(CPACK_PACKAGE_VENDOR "The Tarvix developers")
set(CPACK_PACKAGE_CONTACT ${TARVIX_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "simulator of an 8086 microprocessor training kit")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${CMAKE_CURRENT_LIST_DIR}/description)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TARVIX_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
