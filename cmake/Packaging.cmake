# The Debian packages, laid out as Debian ships a library, one package per
# install component (`cpack -G DEB` in a build folder, see make-package):
#   libdezadiravevava1     the engine's shared library with the data it reads:
#                          the vertex catalogue, the IGN grid and geoid
#                          (component library)
#   libdezadiravevava-dev  its headers, .so link, CMake package and pkg-config
#                          file (component development)
#   python3-quillon        the Python module quillon (component python)
#   quillon                the desktop program, quillon-cli, the program's
#                          pictures and guide, the manual pages, desktop entry
#                          and icons (component program)
# Dependencies on Debian's own packages come from dpkg-shlibdeps.

set(QUILLON_DEB_RELEASE 1)
set(QUILLON_DEB_VERSION ${PROJECT_VERSION}-${QUILLON_DEB_RELEASE})
set(QUILLON_DEB_MAINTAINER "Quillon <quillon@quillon.es>")
set(QUILLON_DEB_DIR ${CMAKE_BINARY_DIR}/debian)
set(QUILLON_DEB_PACKAGES libdezadiravevava1 libdezadiravevava-dev quillon)
if(QUILLON_PYTHON_BUILT)
    list(APPEND QUILLON_DEB_PACKAGES python3-quillon)
endif()

# The manual pages (docs/man/*.1), compressed as Debian installs them.
file(GLOB QUILLON_MAN_PAGES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/*.1)
set(compressed_pages)
foreach(page IN LISTS QUILLON_MAN_PAGES)
    get_filename_component(name ${page} NAME)
    set(compressed ${QUILLON_DEB_DIR}/man/${name}.gz)
    add_custom_command(OUTPUT ${compressed}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${QUILLON_DEB_DIR}/man
        COMMAND gzip -9n -c ${page} > ${compressed}
        DEPENDS ${page}
        COMMENT "Compressing the manual page ${name}")
    list(APPEND compressed_pages ${compressed})
endforeach()
add_custom_target(quillon_man_pages ALL DEPENDS ${compressed_pages})
install(FILES ${compressed_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT program)

# Every package's changelog.Debian.gz: the one entry of this release.
# (Dated the day it is configured, or SOURCE_DATE_EPOCH's; rewritten only when
# that changes.)
string(TIMESTAMP QUILLON_DEB_DATE "%a, %d %b %Y 00:00:00 +0000" UTC)
set(entry "quillon (${QUILLON_DEB_VERSION}) unstable; urgency=medium\n\n")
string(APPEND entry "  * Release ${PROJECT_VERSION}.\n\n")
string(APPEND entry " -- ${QUILLON_DEB_MAINTAINER}  ${QUILLON_DEB_DATE}\n")
file(CONFIGURE OUTPUT ${QUILLON_DEB_DIR}/changelog.Debian CONTENT "${entry}" @ONLY)
add_custom_command(OUTPUT ${QUILLON_DEB_DIR}/changelog.Debian.gz
    COMMAND gzip -9n -c ${QUILLON_DEB_DIR}/changelog.Debian > ${QUILLON_DEB_DIR}/changelog.Debian.gz
    DEPENDS ${QUILLON_DEB_DIR}/changelog.Debian
    COMMENT "Compressing the Debian changelog")
add_custom_target(quillon_deb_changelog ALL DEPENDS ${QUILLON_DEB_DIR}/changelog.Debian.gz)

# The copyright files: the program's own licence and, in the packages that
# carry IGN data (the library: the grid and geoid; the program: the map's
# boundaries), the attribution that CC-BY 4.0 asks for.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE QUILLON_LICENSE_TEXT)
file(READ ${PROJECT_SOURCE_DIR}/data/ign/README.md QUILLON_IGN_TEXT)
file(WRITE ${QUILLON_DEB_DIR}/copyright "Quillon and libdezadiravevava\n\n${QUILLON_LICENSE_TEXT}")
file(WRITE ${QUILLON_DEB_DIR}/copyright-with-grids
    "Quillon and libdezadiravevava\n\n${QUILLON_LICENSE_TEXT}\n"
    "usr/share/dezadiravevava/SPED2ETV2.gsb, usr/share/dezadiravevava/EGM08_REDNAP.gtx\n\n"
    "${QUILLON_IGN_TEXT}")

set(component_of_libdezadiravevava1 library)
set(component_of_libdezadiravevava-dev development)
set(component_of_python3-quillon python)
set(component_of_quillon program)
foreach(package IN LISTS QUILLON_DEB_PACKAGES)
    set(component ${component_of_${package}})
    set(doc ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package})
    if(package STREQUAL quillon OR package STREQUAL libdezadiravevava1)
        install(FILES ${QUILLON_DEB_DIR}/copyright-with-grids RENAME copyright
            DESTINATION ${doc} COMPONENT ${component})
    else()
        install(FILES ${QUILLON_DEB_DIR}/copyright DESTINATION ${doc} COMPONENT ${component})
    endif()
    install(FILES ${QUILLON_DEB_DIR}/changelog.Debian.gz DESTINATION ${doc} COMPONENT ${component})
    string(TOUPPER ${component} COMPONENT)
    set(CPACK_DEBIAN_${COMPONENT}_PACKAGE_NAME ${package})
    list(APPEND CPACK_COMPONENTS_ALL ${component})
endforeach()

# Maintainer scripts and triggers, one folder per package (dpkg wants the
# files by these names).
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/python3-quillon.postinst
    ${QUILLON_DEB_DIR}/python3-quillon/postinst COPYONLY)
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/python3-quillon.prerm
    ${QUILLON_DEB_DIR}/python3-quillon/prerm COPYONLY)
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/libdezadiravevava1.triggers
    ${QUILLON_DEB_DIR}/libdezadiravevava1/triggers COPYONLY)

set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VENDOR "Quillon")
set(CPACK_PACKAGE_CONTACT "${QUILLON_DEB_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Installed as DESTDIR/usr, so that install steps see the prefix /usr.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
# Each package's Description below starts with its own synopsis; the project's
# summary would otherwise be put before it (see cmake/debian/cpack_options.cmake).
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/debian/cpack_options.cmake)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${QUILLON_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SOURCE quillon)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The engine library of this build, for dpkg-shlibdeps to find beside the
# system's (its dependency is named explicitly below).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/engine)

# libdezadiravevava1: its shlibs file names it for the packages that link it;
# ldconfig runs through dpkg's trigger. CPack would also add postinst and
# postrm scripts calling ldconfig; cmake/debian/drop_ldconfig_scripts.cmake
# takes them out of the built package again.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_EXTRA ${QUILLON_DEB_DIR}/libdezadiravevava1/triggers)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/debian/drop_ldconfig_scripts.cmake)
set(CPACK_DEBIAN_LIBRARY_DESCRIPTION
    "ED50 <-> ETRS89 coordinate transformation engine for Andalusia
libdezadiravevava converts points and files between Spain's geodetic systems
ED50 and ETRS89 (geocentric, geodetic or UTM zones 29-31) with the national
parameter set, the IGN grid, or regional and local least-squares fits to a
catalogue of geodetic vertices, through a C interface.
.
This package holds the shared library, the vertex catalogue and the IGN grid
and geoid it reads.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "libdezadiravevava1 (= ${QUILLON_DEB_VERSION})")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
    "ED50 <-> ETRS89 coordinate transformation engine - development files
libdezadiravevava converts points and files between Spain's geodetic systems
ED50 and ETRS89 for Andalusia through a C interface.
.
This package holds the C headers, the CMake package (find_package
(Dezadiravevava)) and the pkg-config file (dezadiravevava) to build programs
against the library.")

if(QUILLON_PYTHON_BUILT)
    # The module is built for one Python 3 version (the one found at the top
    # level) and takes NumPy arrays; its GeoPandas and Dask helpers need those
    # packages only when used.
    math(EXPR python_next_minor "${Python3_VERSION_MINOR} + 1")
    set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
    set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS
        "python3 (>= ${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}~)"
        "python3 (<< ${Python3_VERSION_MAJOR}.${python_next_minor})"
        "python3-numpy" "libdezadiravevava1 (= ${QUILLON_DEB_VERSION})")
    list(JOIN CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS ", " CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS)
    set(CPACK_DEBIAN_PYTHON_PACKAGE_SUGGESTS
        "python3-geopandas, python3-dask, python3-distributed")
    set(CPACK_DEBIAN_PYTHON_PACKAGE_CONTROL_EXTRA
        ${QUILLON_DEB_DIR}/python3-quillon/postinst ${QUILLON_DEB_DIR}/python3-quillon/prerm)
    set(CPACK_DEBIAN_PYTHON_DESCRIPTION
        "ED50 <-> ETRS89 coordinate transformation for Andalusia - Python 3
The Python module quillon converts NumPy arrays of points between Spain's
geodetic systems ED50 and ETRS89 (geocentric, geodetic or UTM zones 29-31)
with the engine libdezadiravevava, runs it on point and DXF files, and
transforms GeoPandas layers and Dask tables.")
endif()

# The desktop program's windows and its help document are drawn with DejaVu;
# Qt's own Spanish texts (dialog buttons, file dialogs) come from its
# translations.
set(CPACK_DEBIAN_PROGRAM_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_DEPENDS
    "libdezadiravevava1 (= ${QUILLON_DEB_VERSION}), fonts-dejavu-core")
set(CPACK_DEBIAN_PROGRAM_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PROGRAM_DESCRIPTION
    "ED50 <-> ETRS89 coordinate transformation for Andalusia
Quillon converts point lists and DXF drawings between Spain's geodetic
systems ED50 and ETRS89 (geocentric, geodetic or UTM zones 29-31) with the
national parameter set, the IGN grid, or regional and local least-squares
fits to a catalogue of geodetic vertices, and GIS layers (Shapefile,
GeoPackage, GeoJSON...) through GDAL.
.
This package holds the desktop program (quillon) with its guide and the
command-line host (quillon-cli).")

include(CPack)
