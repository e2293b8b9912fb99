# Run by `cmake --install`: writes the menu entry with the launcher's full
# path under the prefix of this install, and installs it.

# A folder given relative to the prefix, made full with this install's.
function(full_dir dir out)
  if(NOT IS_ABSOLUTE "${dir}")
    set(dir "${CMAKE_INSTALL_PREFIX}/${dir}")
  endif()
  set(${out} "${dir}" PARENT_SCOPE)
endfunction()

full_dir("${MORROWFEN_INSTALL_BINDIR}" bindir)
full_dir("${MORROWFEN_INSTALL_DATADIR}" datadir)
set(launcher "${bindir}/morrowfen")

# Exec is a command line: a path with spaces or shell characters is quoted,
# with ", `, $ and \ escaped inside the quotes; then, as in every value, a
# backslash is written twice, and a per cent sign twice for the field codes.
set(exec "${launcher}")
if(exec MATCHES "[^A-Za-z0-9_./+,:@=-]")
  string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" exec "${exec}")
  set(exec "\"${exec}\"")
endif()
string(REPLACE "\\" "\\\\" exec "${exec}")
string(REPLACE "%" "%%" exec "${exec}")
set(MORROWFEN_EXEC "${exec}")

configure_file("${MORROWFEN_DESKTOP_IN}" "${MORROWFEN_DESKTOP_OUT}" @ONLY)
file(INSTALL DESTINATION "${datadir}/applications"
     TYPE FILE FILES "${MORROWFEN_DESKTOP_OUT}")
