# Writes the orvelxml man page from what the tool itself prints, so the page
# cannot drift from the tool: `--version` for the header, `--help` for the
# synopsis and description, and each command's `--help` for its own section.
#   cmake -DTOOL=path [-DEMULATOR=runner] -DOUT=orvelxml.1 -P OrvelManPage.cmake

function(run_tool out_var)
  execute_process(COMMAND ${EMULATOR} ${TOOL} ${ARGN} OUTPUT_VARIABLE text RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "orvelxml ${ARGN} failed (${status})")
  endif()
  set(${out_var} "${text}" PARENT_SCOPE)
endfunction()

# Text as roff prints it verbatim: backslashes and minus signs escaped, and no
# line that roff would take for a request.
function(roff_literal out_var text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out_var} "${text}" PARENT_SCOPE)
endfunction()

run_tool(version --version)
string(STRIP "${version}" version)
run_tool(help --help)
string(FIND "${help}" "\n" first_break)
string(SUBSTRING "${help}" 0 ${first_break} synopsis)
string(REGEX REPLACE "^usage: " "" synopsis "${synopsis}")
math(EXPR rest_start "${first_break} + 1")
string(SUBSTRING "${help}" ${rest_start} -1 description)

roff_literal(synopsis "${synopsis}")
roff_literal(description "${description}")
set(page ".TH ORVELXML 1 \"\" \"${version}\" \"User Commands\"\n")
string(APPEND page ".SH NAME\norvelxml \\- a host of the OrvelXml module: check, format, script and pack XML documents\n")
string(APPEND page ".SH SYNOPSIS\n.nf\n${synopsis}\norvelxml \\-\\-version\n.fi\n")
string(APPEND page ".SH DESCRIPTION\n.nf\n${description}.fi\n")

# The commands are the indented words under "Commands:" in --help.
string(REGEX MATCH "Commands:\n(  [a-z][^\n]*\n)+" command_block "${help}")
string(REGEX MATCHALL "\n  [a-z]+" commands "${command_block}")
if(NOT commands)
  message(FATAL_ERROR "orvelxml --help lists no commands")
endif()
string(APPEND page ".SH COMMANDS\n")
foreach(command ${commands})
  string(STRIP "${command}" command)
  run_tool(command_help ${command} --help)
  roff_literal(command_help "${command_help}")
  string(APPEND page ".SS ${command}\n.nf\n${command_help}.fi\n")
endforeach()

# What --help does not say at one place: the exit codes shared by the
# commands, a few runs, and the related pages.
string(APPEND page [=[
.SH EXIT STATUS
.TP
.B 0
success: every document checked is well formed, the edit or the file was written.
.TP
.B 1
a document is not well formed (by the rules of XML and of namespaces; with \fB\-\-no\-namespaces\fR
by XML's alone, with \fBcheck \-\-lenient\fR by the module's), its bytes are not in its encoding, or an edit
was refused or would leave the document not well formed. An edit then writes nothing; \fBformat\fR and
\fBunpack\fR write their output all the same.
.TP
.B 2
a usage error, a file that cannot be read or written, or a failed write to standard output.
.TP
.B 3
\fBget\fR, \fBset\fR, \fBadd\fR or \fBdelete\fR: PATH matches nothing.
.SH EXAMPLES
.nf
orvelxml check catalog.xml
orvelxml check \-v \-r docs/ 2>&1 | less
orvelxml format catalog.xml \-\-indent 2 \-o catalog.xml
orvelxml get catalog.xml 'catalog/book[2]/@id'
orvelxml get catalog.xml 'catalog/book/title'
orvelxml set \- 'catalog/book/@lang' en < in.xml > out.xml
orvelxml set catalog.xml 'catalog/book[2]/title' 'Fish & Chips'
orvelxml add catalog.xml 'catalog/book[2]' '<isbn>123</isbn>'
orvelxml delete catalog.xml 'catalog/book[1]'
orvelxml set \-\-no\-namespaces icon.svg 'svg/@width' 32
orvelxml pack catalog.xml catalog.xmlz
.fi
.SH SEE ALSO
.BR xmllint (1),
.BR gzip (1),
.BR iconv (1)
]=])

file(WRITE "${OUT}" "${page}")
