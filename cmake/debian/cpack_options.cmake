# Read by cpack (CPACK_PROJECT_CONFIG_FILE). Every package's Description
# (CPACK_DEBIAN_<COMPONENT>_DESCRIPTION) starts with its own synopsis line:
# without the project's summary, CPack does not put that before it.
unset(CPACK_PACKAGE_DESCRIPTION_SUMMARY)
# The shlibs file is made for the shared library; the Python extension, which
# has no soname, is left out of it without CPack's developer warning.
set(CMAKE_SUPPRESS_DEVELOPER_WARNINGS ON CACHE INTERNAL "")
