# Run by cpack after it has built the packages (CPACK_POST_BUILD_SCRIPTS).
# CPack gives a package that installs a shared library under /usr/lib postinst
# and postrm scripts that call ldconfig; libdezadiravevava1 has dpkg's ldconfig
# trigger instead, so the scripts are taken out and the package is rebuilt
# with dpkg-deb, its files, modes and control fields unchanged.
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
    get_filename_component(name ${deb} NAME)
    if(NOT name MATCHES "^libdezadiravevava[0-9]+_")
        continue()
    endif()
    set(tree ${CPACK_TOPLEVEL_DIRECTORY}/ldconfig-scripts-dropped)
    file(REMOVE_RECURSE ${tree})
    execute_process(COMMAND dpkg-deb -R ${deb} ${tree} COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE ${tree}/DEBIAN/postinst ${tree}/DEBIAN/postrm)
    execute_process(COMMAND dpkg-deb --root-owner-group -Zgzip -b ${tree} ${deb}
        OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE ${tree})
endforeach()
