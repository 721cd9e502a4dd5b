# Turns the Markdown user guide into one HTML page that any browser opens:
#   cmake -DCMARK=... -DINPUT=guide.md -DTEMPLATE=guide.html.in -DOUTPUT=guide.html -P GuideHtml.cmake
execute_process(COMMAND "${CMARK}" --to html "${INPUT}" OUTPUT_VARIABLE GUIDE_BODY RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmark could not read ${INPUT}")
endif()
configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
