# `cmake --install` puts the programs, the desktop entry, the icon and the examples in the usual
# places; CPack makes a Debian package of the same (`make package`).
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/
  DESTINATION ${CMAKE_INSTALL_DATADIR}/linkwright/examples)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME linkwright)
set(CPACK_PACKAGE_VENDOR "Linkwright")
set(CPACK_PACKAGE_CONTACT "Linkwright maintainers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# The library packages the programs link against, found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window draws its icons from SVG and needs a platform plug-in to show at all.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-qpa-plugins")
include(CPack)
