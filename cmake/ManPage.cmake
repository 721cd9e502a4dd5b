# Turns one scdoc page into a compressed roff page:
#   cmake -DSCDOC=... -DGZIP=... -DEPOCH=... -DINPUT=x.1.scd -DOUTPUT=x.1.gz -P ManPage.cmake
# EPOCH (the changelog's date) stands in for today in the page's footer, so builds repeat.
string(REGEX REPLACE "\\.gz$" "" roff "${OUTPUT}")
set(ENV{SOURCE_DATE_EPOCH} "${EPOCH}")
execute_process(COMMAND "${SCDOC}" INPUT_FILE "${INPUT}" OUTPUT_FILE "${roff}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    file(REMOVE "${roff}")
    message(FATAL_ERROR "scdoc could not read ${INPUT}")
endif()
# -n leaves the name and time out of the header, as Debian wants.
execute_process(COMMAND "${GZIP}" -9nf "${roff}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip failed on ${roff}")
endif()
