# The Debian package: one package, "quillon", with the desktop program, the
# command-line host, the engine library with its headers, CMake package and
# pkg-config file, the data the engine carries and the manual page of
# quillon-cli. Built with `cpack -G DEB` in a build folder (see the README).
# Dependencies come from dpkg-shlibdeps, i.e. from Debian's own packages.

# The manual page of quillon-cli, made from its own help at build time.
set(QUILLON_CLI_MAN ${CMAKE_BINARY_DIR}/quillon-cli.1.gz)
add_custom_command(OUTPUT ${QUILLON_CLI_MAN}
    COMMAND ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:quillon-cli> -DVERSION=${PROJECT_VERSION}
            -DOUTPUT=${CMAKE_BINARY_DIR}/quillon-cli.1
            -P ${PROJECT_SOURCE_DIR}/cmake/quillon_cli_man.cmake
    COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/quillon-cli.1
    DEPENDS quillon-cli ${PROJECT_SOURCE_DIR}/cmake/quillon_cli_man.cmake
    COMMENT "Generating the manual page quillon-cli.1"
    VERBATIM)
add_custom_target(quillon_cli_man ALL DEPENDS ${QUILLON_CLI_MAN})
install(FILES ${QUILLON_CLI_MAN} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The copyright file: the program's own licence, then the attribution that
# CC-BY 4.0 asks for the IGN grid and geoid the package carries.
set(QUILLON_COPYRIGHT ${CMAKE_BINARY_DIR}/copyright)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE QUILLON_LICENSE_TEXT)
file(READ ${PROJECT_SOURCE_DIR}/data/ign/README.md QUILLON_IGN_TEXT)
file(WRITE ${QUILLON_COPYRIGHT} "Quillon and libdezadiravevava\n\n${QUILLON_LICENSE_TEXT}\n"
    "usr/share/dezadiravevava/SPED2ETV2.gsb, usr/share/dezadiravevava/EGM08_REDNAP.gtx\n\n"
    "${QUILLON_IGN_TEXT}")
install(FILES ${QUILLON_COPYRIGHT} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/quillon)

set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VENDOR "Quillon")
set(CPACK_PACKAGE_CONTACT "Quillon <quillon@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "ED50 <-> ETRS89 coordinate transformation for Andalusia")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillon converts point lists and DXF drawings between Spain's geodetic systems ED50 and\n\
ETRS89 (geocentric, geodetic or UTM zones 29-31) with the national parameter set, regional\n\
or local least-squares fits to a catalogue of geodetic vertices. The package holds the\n\
desktop program (quillon), the command-line host (quillon-cli), the engine library\n\
libdezadiravevava with its C header, CMake package and pkg-config file, and the Python\n\
module quillon (NumPy arrays, GeoPandas layers, Dask tables).")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The program's windows and its help document are drawn with DejaVu; Qt's
# own Spanish texts (dialog buttons, file dialogs) come from its translations.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
if(QUILLON_PYTHON_BUILT)
    # The module quillon is built for one Python 3 version and takes NumPy
    # arrays; its GeoPandas and Dask helpers need those packages only when used.
    set(python_next "${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}")
    math(EXPR python_next_minor "${Python3_VERSION_MINOR} + 1")
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS
        ", python3 (>= ${python_next}~), python3 (<< ${Python3_VERSION_MAJOR}.${python_next_minor}),"
        " python3-numpy")
    set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3-geopandas, python3-dask, python3-distributed")
endif()
set(CPACK_STRIP_FILES ON)
include(CPack)
