# A Debian package of the installed program: `cpack -G DEB` in a release build folder.
set(CPACK_PACKAGE_NAME orbistan)
set(CPACK_PACKAGE_VENDOR "The Orbistan developers")
set(CPACK_PACKAGE_CONTACT "The Orbistan developers <orbistan@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Calculator of the defect frequencies of rolling bearings")
set(CPACK_PACKAGE_DESCRIPTION
    "Orbistan calculates the characteristic defect frequencies of rolling bearings (outer ring,\n"
    "inner ring, rolling element, cage) with their sidebands, harmonics and subharmonics, and\n"
    "searches which combination explains a peak of a measured vibration spectrum.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the libraries do not tell: the window's fonts, Qt's Russian texts and its X11 plugin.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, qt6-translations-l10n, qt6-qpa-plugins")
set(CPACK_STRIP_FILES ON)
include(CPack)
