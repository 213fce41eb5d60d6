# The packages, made by cpack in a build folder (scripts/package.sh makes
# both): on Linux a Debian package, from the Windows build (MinGW-w64) a zip
# of the shop folder. Both hold what cmake/install-rules.cmake installs.
set(CPACK_PACKAGE_NAME ${SCALELINK_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Loads price lists into networked retail scales and fetches their totals")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  # scalelink-1.0.0-win64.zip with the files at its top, to be unpacked into
  # the shop folder.
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME ${SCALELINK_PACKAGE_NAME}-${PROJECT_VERSION}-win64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  # scalelink_1.0.0_amd64.deb. Its dependencies are computed by
  # dpkg-shlibdeps from the programs; scripts/package.sh links the compiler's
  # C++ libraries into them, so the C library alone remains.
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SECTION misc)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Scale link maintainers <maintainers@scalelink.invalid>")
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "VelkoCon turns the shop's price list into the scales' files and has them sent
by xferlnk over TCP; it fetches totals, transactions and the real-time buffer
back as delimited text. scalesim emulates the scales for trying a price list
without one.")
endif()

include(CPack)
