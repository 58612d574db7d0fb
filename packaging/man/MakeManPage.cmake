# Writes the manual page tavsw(1) from the program's own help, so that the
# page never says other options than the program takes. Run with cmake -P
# and TAVSW (the built program), VERSION and OUT.
cmake_minimum_required(VERSION 3.20)
foreach(var TAVSW VERSION OUT)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "MakeManPage: ${var} is not set")
  endif()
endforeach()

# The help of `tavsw ARGS... --help`, in HELP_TEXT.
function(help)
  execute_process(COMMAND ${TAVSW} ${ARGN} --help RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    string(REPLACE ";" " " words "${ARGN}")
    message(FATAL_ERROR "MakeManPage: 'tavsw ${words} --help' failed (${rc})\n${err}")
  endif()
  set(HELP_TEXT "${out}" PARENT_SCOPE)
endfunction()

# Text made safe for roff: backslashes escaped, hyphens kept as hyphens
# (option names are copied and pasted), a leading dot or quote defused.
function(roff_text var text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "^([.'])" "\\\\&\\1" text "${text}")
  set(${var} "${text}" PARENT_SCOPE)
endfunction()

# Semicolons would split lists: they stand aside as the unit separator.
string(ASCII 31 SEMI)
# Splits help text into lines.
function(help_lines var text)
  string(REPLACE ";" "${SEMI}" text "${text}")
  string(REPLACE "\n" ";" text "${text}")
  set(${var} "${text}" PARENT_SCOPE)
endfunction()

function(unplaceholder var text)
  string(REPLACE "${SEMI}" ";" text "${text}")
  set(${var} "${text}" PARENT_SCOPE)
endfunction()

# The roff of one help text: its summary, usage and entry lists (as .TP
# paragraphs); the footer every command repeats is left to EXIT STATUS.
# The names of the subcommands go to SUBCOMMANDS.
function(help_roff var text)
  help_lines(lines "${text}")
  set(roff "")
  set(subs "")
  set(section "")
  set(first TRUE)
  foreach(line IN LISTS lines)
    unplaceholder(line "${line}")
    if(first)
      roff_text(summary "${line}")
      string(APPEND roff "${summary}\n")
      set(first FALSE)
    elseif(line MATCHES "^Usage: (.*)$")
      roff_text(usage "${CMAKE_MATCH_1}")
      string(APPEND roff ".PP\n.B ${usage}\n")
    elseif(line MATCHES "^(Positionals|Options|Subcommands):$")
      set(section "${CMAKE_MATCH_1}")
      string(APPEND roff ".PP\n${section}:\n")
    elseif(section AND line MATCHES "^      +([^ ].*)$")
      roff_text(more "${CMAKE_MATCH_1}")
      string(APPEND roff ".br\n${more}\n")
    elseif(section AND line MATCHES "^  ([^ ].*)$")
      set(entry "${CMAKE_MATCH_1}")
      set(desc "")
      if(entry MATCHES "^([^ ]+( [^ ]+)*)  +(.*)$")
        set(entry "${CMAKE_MATCH_1}")
        set(desc "${CMAKE_MATCH_3}")
      endif()
      if(section STREQUAL "Subcommands")
        string(REGEX REPLACE " .*" "" name "${entry}")
        list(APPEND subs "${name}")
      endif()
      roff_text(entry "${entry}")
      roff_text(desc "${desc}")
      string(APPEND roff ".TP\n.B ${entry}\n${desc}\n")
    elseif(line STREQUAL "")
      # Sections are separated by blank lines; the footer follows the last.
      if(section)
        set(section "")
        set(footer TRUE)
      endif()
    endif()
  endforeach()
  set(${var} "${roff}" PARENT_SCOPE)
  set(SUBCOMMANDS "${subs}" PARENT_SCOPE)
endfunction()

help()
help_lines(top "${HELP_TEXT}")
list(GET top 0 summary)
unplaceholder(summary "${summary}")
string(SUBSTRING "${summary}" 0 1 head)
string(SUBSTRING "${summary}" 1 -1 rest)
string(TOLOWER "${head}" head)
roff_text(summary "${head}${rest}")
help_roff(main_roff "${HELP_TEXT}")
set(commands "${SUBCOMMANDS}")
if(NOT commands)
  message(FATAL_ERROR "MakeManPage: the program's help lists no commands")
endif()

set(page ".\\\" The manual page of tavsw, made from the program's --help. Do not edit.\n")
string(APPEND page ".TH TAVSW 1 \"\" \"tavsw ${VERSION}\" \"User Commands\"\n")
string(APPEND page ".SH NAME\ntavsw \\- ${summary}\n")
string(APPEND page ".SH SYNOPSIS\n.B tavsw\n[\\fIOPTIONS\\fR] \\fICOMMAND\\fR [\\fIARGUMENTS\\fR]\n")
string(APPEND page ".br\n.B tavsw\n\\fICOMMAND\\fR \\-\\-help\n")
string(APPEND page ".SH DESCRIPTION\n${main_roff}")
string(APPEND page ".SH COMMANDS\n")
foreach(cmd ${commands})
  help(${cmd})
  help_roff(roff "${HELP_TEXT}")
  string(APPEND page ".SS \"tavsw ${cmd}\"\n${roff}")
  foreach(sub ${SUBCOMMANDS})
    help(${cmd} ${sub})
    help_roff(subroff "${HELP_TEXT}")
    string(APPEND page ".SS \"tavsw ${cmd} ${sub}\"\n${subroff}")
  endforeach()
endforeach()
string(APPEND page [=[
.SH EXIT STATUS
The same for every command:
.TP
.B 0
No errors.
.TP
.B 1
An input had errors, or a lookup found nothing.
.TP
.B 2
A usage error, or an output that could not be written.
.SH ENVIRONMENT
.TP
.B QUARLY_VEK
The installation root. Its software repositories are searched after those
given with \-\-repo, and \fBtavsw tcl\fR evaluates the support scripts under
its data/datastructure/ (without it, those that ship with the program).
.TP
.B MIMALLOC_LARGE_OS_PAGES
Whether the program's allocator uses large pages; the program asks for them
unless this is set.
.SH FILES
.TP
.I /usr/share/tavsw/data/datastructure/
The support scripts that ship with the program.
.TP
.I /usr/lib/tcltk/tavsw*/
The Tcl package \fBtavsw\fR: \fBpackage require tavsw\fR in any Tcl shell
gives \fBtavsw::build\fR, \fBtget_handle\fR and \fBtget_value\fR.
.TP
.I /usr/share/bash\-completion/completions/tavsw
.TQ
.I /usr/share/zsh/vendor\-completions/_tavsw
.TQ
.I /usr/share/fish/vendor_completions.d/tavsw.fish
Shell completion, as printed by \fBtavsw completion\fR \fISHELL\fR.
.SH SEE ALSO
.BR tclsh (1)
]=])
file(WRITE ${OUT}.tmp "${page}")
file(RENAME ${OUT}.tmp ${OUT})
