# Checks the help PDF written by make_help_pdf, independently of the program that
# wrote it: the file is a PDF and holds at least MIN_PAGES page objects. A file that
# fails is removed, so that the next build writes it again.
#
#   cmake -DPDF=ayudaQuillon.pdf -DMIN_PAGES=2 -P check_help_pdf.cmake

if(NOT DEFINED PDF OR NOT DEFINED MIN_PAGES)
    message(FATAL_ERROR "usage: cmake -DPDF=file.pdf -DMIN_PAGES=n -P check_help_pdf.cmake")
endif()
if(NOT EXISTS "${PDF}")
    message(FATAL_ERROR "${PDF} was not written")
endif()

file(READ "${PDF}" head LIMIT 8)
if(NOT head MATCHES "^%PDF-")
    file(REMOVE "${PDF}")
    message(FATAL_ERROR "${PDF} is not a PDF file")
endif()

# Page objects carry "/Type /Page" in their dictionary; the page tree says "/Pages".
file(STRINGS "${PDF}" page_lines REGEX "/Type[ \t\r\n]*/Page([^s]|$)")
list(LENGTH page_lines pages)
if(pages LESS MIN_PAGES)
    file(REMOVE "${PDF}")
    message(FATAL_ERROR "${PDF} has ${pages} page(s); at least ${MIN_PAGES} expected")
endif()
