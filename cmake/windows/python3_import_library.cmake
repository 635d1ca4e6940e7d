# Makes the import library for python3.dll that _orvy.pyd links against: the
# symbols the module's objects import (the __imp_ references of the limited
# API's dllimport declarations), written as a .def file for dlltool.
# Arguments: NM, DLLTOOL, OBJECTS (paths separated by "|"), OUTPUT.
string(REPLACE "|" ";" OBJECTS "${OBJECTS}")
set(symbols "")
foreach(object ${OBJECTS})
  execute_process(COMMAND ${NM} --undefined-only --format=just-symbols ${object}
    OUTPUT_VARIABLE listed COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX MATCHALL "__imp__?Py[A-Za-z0-9_]*" found "${listed}")
  list(APPEND symbols ${found})
endforeach()
list(TRANSFORM symbols REPLACE "^__imp_" "")
list(REMOVE_DUPLICATES symbols)
list(SORT symbols)
get_filename_component(directory ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${directory})
list(JOIN symbols "\n  " exports)
file(WRITE ${directory}/python3.def "LIBRARY python3.dll\nEXPORTS\n  ${exports}\n")
execute_process(COMMAND ${DLLTOOL} --input-def ${directory}/python3.def --dllname python3.dll
  --output-lib ${OUTPUT} COMMAND_ERROR_IS_FATAL ANY)
