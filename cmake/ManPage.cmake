# Writes a manual page from a program's own --help and --version, so the page never says
# anything the program does not.
#   cmake -DPROGRAM=path -DNAME=name -DSUMMARY=text -DOUT=file -P ManPage.cmake
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE code)
if(NOT code EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help failed (${code})")
endif()
execute_process(COMMAND ${PROGRAM} --version OUTPUT_VARIABLE version OUTPUT_STRIP_TRAILING_WHITESPACE)
# roff: a backslash is written \e, and a line may not start with a dot or an apostrophe.
string(REPLACE "\\" "\\e" help "${help}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
string(TOUPPER "${NAME}" title)
file(WRITE ${OUT}.tmp
  ".TH ${title} 1 \"\" \"${version}\" \"User Commands\"\n"
  ".SH NAME\n${NAME} \\- ${SUMMARY}\n"
  ".SH DESCRIPTION\n.nf\n${help}.fi\n"
  ".SH SEE ALSO\nvemo(1), vemo-decksim(1), vemo-lxedl(1), vemo-export(1)\n")
file(RENAME ${OUT}.tmp ${OUT})
