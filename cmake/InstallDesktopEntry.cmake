# Run by `cmake --install`: writes the desktop entry with the absolute path of the
# program as it is installed (the prefix is known only now), quoted as desktop entries
# require, and installs it. Expects TOLVANE_DESKTOP_TEMPLATE, TOLVANE_DESKTOP_OUT and
# TOLVANE_BINDIR.
if(IS_ABSOLUTE "${TOLVANE_BINDIR}")
  set(program "${TOLVANE_BINDIR}/tolvane")
else()
  set(program "${CMAKE_INSTALL_PREFIX}/${TOLVANE_BINDIR}/tolvane")
endif()
if(program MATCHES "[\n\r\t]")
  message(FATAL_ERROR "A desktop entry cannot name ${program}")
endif()
# Quoted in whole: inside the quotes " ` $ and \ are escaped by a backslash and %
# is written as %%; then every backslash is escaped once more for the string value.
string(REPLACE "\\" "\\\\" quoted "${program}")
string(REPLACE "\"" "\\\"" quoted "${quoted}")
string(REPLACE "`" "\\`" quoted "${quoted}")
string(REPLACE "$" "\\$" quoted "${quoted}")
string(REPLACE "%" "%%" quoted "${quoted}")
string(REPLACE "\\" "\\\\" quoted "${quoted}")
set(TOLVANE_EXEC "\"${quoted}\"")
configure_file("${TOLVANE_DESKTOP_TEMPLATE}" "${TOLVANE_DESKTOP_OUT}" @ONLY)
file(INSTALL "${TOLVANE_DESKTOP_OUT}" DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications")
