# "cpack -G DEB" in the build folder makes a Debian package of what
# "cmake --install" installs, under /usr, stripped. The dependencies come from
# dpkg-shlibdeps (package dpkg-dev) when it is there, otherwise from the list
# of the Qt 6 runtime packages of Debian 12 below.
# Packaging and installing take what is built: tools/package.sh builds the
# program alone first, not the tests, with the distribution's hardening flags.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)
set(CPACK_PACKAGE_NAME tallowmere)
set(CPACK_PACKAGE_VENDOR "Team Pellworth")
set(CPACK_PACKAGE_CONTACT "Team Pellworth <support@pellworth.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find and replace text in many CSV and text files at once")
# Debian shows the description as it is: lines within 80 columns.
set(CPACK_PACKAGE_DESCRIPTION "Tallowmere finds and replaces text in many text files in one batch. It is
aimed at CSV files but treats every file as plain text. Each file keeps its
encoding, and a result takes a file's place only when it is completely
written.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.pellworth.example/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The install then sees its final prefix (/usr), which the program folder's
# pointer to the data folder names.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
find_program(TALLOWMERE_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TALLOWMERE_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6widgets6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6core6 (>= 6.4), libstdc++6, libc6")
endif()
# The window's Arial falls back to the metric-compatible Liberation Sans.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")
include(CPack)
