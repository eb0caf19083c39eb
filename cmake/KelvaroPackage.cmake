# `cpack -G DEB` in the build folder makes kelvaro_<version>_<arch>.deb from what
# `cmake --install` puts in place. The libraries it links come from dpkg-shlibdeps; what the
# program loads at run time without linking it is listed by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvaro)
set(CPACK_PACKAGE_VENDOR "The Kelvaro developers")
set(CPACK_PACKAGE_CONTACT "The Kelvaro developers <developers@kelvaro.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "timed reading practice, one spoken line at a time")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://kelvaro.org/)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Kelvaro drills reading aloud from a plain text file in which every line is one
drill item. One full-screen window shows one line at a time in very large type
and speaks it; a large count-down shows the lines left. The run is timed from
the first line to the last, and the rate in lines per minute is shown and
spoken. Works without a network.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Voice data for espeak-ng, Flite's voices (loaded by the speech helper when it starts, so
# shlibdeps cannot see them), the Japanese dictionary for readings, a font with Japanese
# glyphs, Qt's platform plugins (xcb), Qt's own translations for its dialogs, Qt SQL's
# SQLite driver plugin, which keeps the history of runs, and GIO, loaded when the text editor
# is first asked for.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "espeak-ng-data, libflite1, mecab-naist-jdic, fonts-noto-cjk, qt6-qpa-plugins, qt6-translations-l10n, libqt6sql6-sqlite, libglib2.0-0")
# Without a sound server the drill runs silently; without qt6-wayland it runs through XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse, qt6-wayland")

include(CPack)
