# Script mode: writes OUTPUT, a C++ source that defines, for each name in
# VARIABLES, a string holding the listing of FUNCTION in the compiler's
# assembly of the same place in ASSEMBLY (FormatAssembly.cmake), so that a
# program can print the listings without a compiler or binutils at hand.
# With SOURCE and SOURCE_VARIABLE, that variable holds the text of SOURCE too.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/FormatAssembly.cmake)

set(source "// Made by cmake/ListingSource.cmake from the compiler's assembly.\n")
string(APPEND source "#include \"${HEADER}\"\n")
foreach(variable object IN ZIP_LISTS VARIABLES ASSEMBLY)
  file(READ ${object} text)
  format_assembly("${text}" listing FUNCTION "${FUNCTION}" CXXFILT "${CXXFILT}")
  if(listing STREQUAL "")
    message(FATAL_ERROR "${object}: no function ${FUNCTION} in the assembly")
  endif()
  string(APPEND source "\nextern const char ${variable}[] = R\"listing(${listing})listing\";\n")
endforeach()
if(DEFINED SOURCE_VARIABLE)
  file(READ ${SOURCE} text)
  string(APPEND source "\nextern const char ${SOURCE_VARIABLE}[] = R\"source(${text})source\";\n")
endif()
file(WRITE ${OUTPUT}.new "${source}")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
