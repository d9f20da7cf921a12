# The Debian package: `cpack -G DEB` in a build configured as scripts/package.sh does
# (prefix /usr, QP_INSTALL_DIR=lib/quillpost, QP_PACKAGE=ON). It holds what `cmake --install`
# puts there, so whatever is installed beside the executable (a module, a new folder of
# shipped files) goes into the package with it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillpost)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quillpost developers")
set(CPACK_PACKAGE_CONTACT "Quillpost developers <quillpost@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "submit PAD files to software download sites")
# The extended description, as dpkg shows it: lines of at most 79 characters.
set(CPACK_PACKAGE_DESCRIPTION
    "Quillpost keeps a catalogue of an author's programs and the links of their
PAD files (Portable Application Description) and sends them to software
download sites: to its built-in sites and the author's own, several at a
time, with a report and a history of every run. It tests and validates PAD
links before they are sent, opens the sites that take submissions only
through their forms in an embedded browser, and does the same from release
scripts with quillpost-cli.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the executables link, and what those need (the browser's helper process
# comes with Qt WebEngine's own dependencies), are found by dpkg-shlibdeps. A plugin Qt loads
# at run time is linked by nothing, so it is named here: the SVG image plugin that draws the
# program's icon. Data files are named too: Qt's own translations, which put the buttons of
# message boxes and the file and print dialogs into the language chosen.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-translations-l10n")
# The package's files are installed with DESTDIR below the real prefix, so the install step
# sees /usr as its prefix (the desktop file's Exec, the bin/ links).
set(CPACK_SET_DESTDIR ON)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                                WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
