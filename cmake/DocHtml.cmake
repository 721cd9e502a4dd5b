# Turns one Markdown document into an HTML page that any browser opens, for the installed tree:
#   cmake -DCMARK=cmark-gfm -DINPUT=guide.md -DTITLE="velk user guide" -DTEMPLATE=doc.html.in
#         -DOUTPUT=guide.html -P DocHtml.cmake
# Tables are rendered as tables (cmark-gfm's table extension). What only concerns the source tree
# stands between "<!-- source tree -->" and "<!-- end source tree -->" and is left out, and a link
# to another document (guide.md, project-text.md) points at its page beside this one.
cmake_minimum_required(VERSION 3.20)
file(READ "${INPUT}" markdown)
set(begin_mark "<!-- source tree -->")
set(end_mark "<!-- end source tree -->\n")
string(LENGTH "${end_mark}" end_length)
while(TRUE)
    string(FIND "${markdown}" "${begin_mark}" begin)
    if(begin EQUAL -1)
        break()
    endif()
    string(SUBSTRING "${markdown}" ${begin} -1 rest)
    string(FIND "${rest}" "${end_mark}" end)
    if(end EQUAL -1)
        message(FATAL_ERROR "${INPUT}: \"${begin_mark}\" without \"${end_mark}\"")
    endif()
    string(SUBSTRING "${markdown}" 0 ${begin} before)
    math(EXPR after "${end} + ${end_length}")
    string(SUBSTRING "${rest}" ${after} -1 rest)
    set(markdown "${before}${rest}")
endwhile()
get_filename_component(output_dir "${OUTPUT}" DIRECTORY)
get_filename_component(name "${OUTPUT}" NAME_WE)
set(installed_markdown "${output_dir}/${name}.installed.md")
file(WRITE "${installed_markdown}" "${markdown}")
execute_process(COMMAND "${CMARK}" --extension table --to html "${installed_markdown}"
                OUTPUT_VARIABLE DOC_BODY RESULT_VARIABLE status)
file(REMOVE "${installed_markdown}")
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${CMARK} could not read ${INPUT}")
endif()
string(REGEX REPLACE "href=\"([A-Za-z0-9_-]+)\\.md([#\"])" "href=\"\\1.html\\2" DOC_BODY "${DOC_BODY}")
set(DOC_TITLE "${TITLE}")
configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
