# The Debian package, built by `cpack -G DEB` (scripts/package) from the install rules: it holds
# exactly what `cmake --install` puts under /usr.

set(CPACK_PACKAGE_NAME marlovex)
set(CPACK_PACKAGE_VENDOR Brelmund)
set(CPACK_PACKAGE_CONTACT "${MARLOVEX_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "warrant tracker and intraday chart manager")
# The package's long description; cpack puts the summary above it and indents it as Debian wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Marlovex Diagramm-Manager follows warrants and their underlying instruments
through a trading day: intraday chart windows of single instruments and
warrant trackers with a quote list, a chart of warrant, underlying and delta,
a calculator with trading fees and alarm levels. Window arrangements are
saved as layout files (.QVZ). Quotes live in Paradox tables of a data
directory shared with the product family's other programs.

The package holds the program marlovex, its quote-import program Lorquin
and pxtool, which inspects and edits Paradox tables from a shell.")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${MARLOVEX_HOMEPAGE_URL}")
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)

# dpkg-shlibdeps computes the libraries the programs link. What they load at run time goes by
# hand: Qt's platform plugins, without which no window opens, and libcurl, which Lorquin loads
# for HTTP(S) sources.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libcurl4")
# The German texts of Qt's own dialogs, and the metric twin of Arial that the trackers' design
# sizes assume.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-liberation2")

include(CPack)
