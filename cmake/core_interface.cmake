# Writes a header naming a fingerprint of core's headers, which the module and
# the platform backend library both carry; the module refuses a backend library
# whose core was built from other headers. Run with -DROOT=<source> -DOUTPUT=<header>.
file(GLOB_RECURSE headers RELATIVE ${ROOT} ${ROOT}/core/*.hpp)
list(SORT headers)
set(all "")
foreach(header IN LISTS headers)
  file(READ ${ROOT}/${header} text)
  string(APPEND all "${header}\n${text}\n")
endforeach()
string(SHA256 digest "${all}")
string(SUBSTRING ${digest} 0 32 digest)
set(content "// Generated from core's headers; do not edit.\n#pragma once\n#define ORVY_CORE_INTERFACE \"${digest}\"\n")
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} old)
endif()
if(NOT old STREQUAL content)
  file(WRITE ${OUTPUT} "${content}")
else()
  # Newer than the headers it was made from, so the build does not run this again.
  file(TOUCH ${OUTPUT})
endif()
