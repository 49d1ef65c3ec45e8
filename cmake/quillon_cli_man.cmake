# Writes the manual page of quillon-cli from its own help: the general help
# as the description, then the help of every sub-command, verbatim. The page
# is UTF-8, which man(1) reads through preconv.
# Usage: cmake -DCLI=path/to/quillon-cli -DVERSION=x.y.z -DOUTPUT=file -P quillon_cli_man.cmake
function(help_of out)
    execute_process(COMMAND ${CLI} ${ARGN} OUTPUT_VARIABLE help RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${CLI} ${ARGN} failed")
    endif()
    # roff: a backslash is written \e, and a line may not start with a control character.
    string(REPLACE "\\" "\\e" help "${help}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
    set(${out} "${help}" PARENT_SCOPE)
endfunction()

string(TIMESTAMP date "%Y-%m-%d" UTC)
help_of(general --help)
set(page ".TH QUILLON-CLI 1 \"${date}\" \"quillon-cli ${VERSION}\" \"Órdenes de usuario\"\n")
string(APPEND page ".SH NOMBRE\nquillon-cli \\- transformación de coordenadas entre ED50 y ETRS89 para Andalucía\n")
string(APPEND page ".SH DESCRIPCIÓN\n.nf\n${general}.fi\n.SH ÓRDENES\n")
foreach(command punto buscar parametros txt dxf centroide txt-a-dxf)
    help_of(help ${command} --help)
    string(APPEND page ".SS ${command}\n.nf\n${help}.fi\n")
endforeach()
file(WRITE ${OUTPUT} "${page}")
