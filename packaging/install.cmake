# SPDX-License-Identifier: MIT
# Run by `cmake --install`: makes TS.mdb beside the program where none is,
# links the program into <prefix>/bin and writes the desktop entry, which
# names the program by its full path so that the menu entry works whether or
# not <prefix>/bin is on PATH.
set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(home "${root}/${QUARNEL_HOME}")
execute_process(COMMAND "${home}/quarnel-initdb" "${home}/TS.mdb" RESULT_VARIABLE made)
if(NOT made EQUAL 0)
    message(FATAL_ERROR "could not make ${home}/TS.mdb")
endif()
file(MAKE_DIRECTORY "${root}/${QUARNEL_BINDIR}")
file(CREATE_LINK "../${QUARNEL_HOME}/quarnel" "${root}/${QUARNEL_BINDIR}/quarnel" SYMBOLIC)

# A quoted Exec argument escapes ", `, $ and \ with a backslash, and the
# backslash is itself escaped in the entry's text.
set(program "${CMAKE_INSTALL_PREFIX}/${QUARNEL_HOME}/quarnel")
string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\\\\\1" program "${program}")
file(READ "${QUARNEL_DESKTOP}" entry)
string(REPLACE "Exec=quarnel" "Exec=\"${program}\"" entry "${entry}")
set(desktop "${root}/${QUARNEL_APPLICATIONS}/quarnel.desktop")
message(STATUS "Installing: ${desktop}")
file(WRITE "${desktop}" "${entry}")
