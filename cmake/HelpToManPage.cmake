# Writes marlin-load's man page from its --help text, so that the two never differ.
#     cmake -DPROGRAM=marlin-load -DOUTPUT=marlin-load.1 -DVERSION=2.3 -P HelpToManPage.cmake
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} --help failed: ${status}")
endif()
# roff: a backslash is written doubled and a hyphen as \- (so that options copy as typed).
string(REPLACE "\\" "\\\\" help "${help}")
string(REPLACE "-" "\\-" help "${help}")
# The first line is the usage; the rest, line by line, the description. A line that begins
# with a dot or a quote is kept from being read as a request.
string(FIND "${help}" "\n" firstBreak)
string(SUBSTRING "${help}" 0 ${firstBreak} usage)
string(REPLACE "Usage: " "" usage "${usage}")
math(EXPR rest "${firstBreak} + 1")
string(SUBSTRING "${help}" ${rest} -1 remainder)
string(REPLACE ";" "\\;" remainder "${remainder}")
string(REPLACE "\n" ";" lines "${remainder}")
set(description "")
foreach(line IN LISTS lines)
    if(line MATCHES "^[.']")
        set(line "\\&${line}")
    endif()
    string(APPEND description "${line}\n")
endforeach()
file(WRITE ${OUTPUT}
    ".TH MARLIN\\-LOAD 1 \"\" \"Marlin ${VERSION}\" \"User Commands\"\n"
    ".SH NAME\n"
    "marlin\\-load \\- load dBase/FoxPro tables into Oracle tables\n"
    ".SH SYNOPSIS\n"
    "${usage}\n"
    ".SH DESCRIPTION\n"
    ".nf\n"
    "${description}"
    ".fi\n")
