# Writes the linker's dynamic list for the program: every symbol the web module defines or takes.
# The program exports those of its own and no others, so that the module's references still bind
# to the program's copies (one copy of each, one state) while the program's symbol tables stay
# small. Run as: cmake -DNM=... -DMODULE=... -DOUT=... -P webexports.cmake
execute_process(COMMAND ${NM} -D --format=posix ${MODULE}
                OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cannot list the symbols of ${MODULE}")
endif()
string(REPLACE "\n" ";" lines "${listing}")
set(text "{\n")
foreach(line IN LISTS lines)
  string(REGEX MATCH "^[^ @]+" name "${line}")
  if(name)
    string(APPEND text "  \"${name}\";\n")
  endif()
endforeach()
string(APPEND text "};\n")
file(WRITE ${OUT} "${text}")
