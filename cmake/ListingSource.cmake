# Script mode: writes OUTPUT, a C++ source that defines, for each name in
# VARIABLES, a Listing (HEADER declares it) holding the rows of FUNCTION's
# listing in the compiler's assembly of the same place in ASSEMBLY
# (FormatAssembly.cmake, with PROCESSOR's marks), so that a program can show
# the listings without a compiler or binutils at hand. With SOURCE and
# SOURCE_VARIABLE, that variable holds the text of SOURCE too.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/FormatAssembly.cmake)

# <text> as a raw string literal.
function(_raw text out)
  set(${out} "R\"row(${text})row\"" PARENT_SCOPE)
endfunction()

set(kinds function label source instruction data-label data blank)
set(enumerators function label source instruction dataLabel data blank)

set(source "// Made by cmake/ListingSource.cmake from the compiler's assembly.\n")
string(APPEND source "#include \"${HEADER}\"\n\n#include <iterator>\n")
foreach(variable object IN ZIP_LISTS VARIABLES ASSEMBLY)
  file(READ ${object} text)
  format_assembly("${text}" listing FUNCTION "${FUNCTION}" CXXFILT "${CXXFILT}"
                  PROCESSOR "${PROCESSOR}" ROWS rows)
  if(listing STREQUAL "")
    message(FATAL_ERROR "${object}: no function ${FUNCTION} in the assembly")
  endif()
  string(APPEND source "\nstatic const ListingRow ${variable}Rows[] = {\n")
  foreach(row IN LISTS rows)
    format_assembly_row("${row}" r)
    list(FIND kinds "${r_kind}" index)
    list(GET enumerators ${index} kind)
    set(fields "RowKind::${kind}")
    foreach(field file line label note code text)
      if(field STREQUAL "line")
        string(APPEND fields ", ${r_line}")
      else()
        _raw("${r_${field}}" literal)
        string(APPEND fields ", ${literal}")
      endif()
    endforeach()
    string(APPEND source "    {${fields}},\n")
  endforeach()
  string(APPEND source "};\nextern const Listing ${variable} = {${variable}Rows, std::size(${variable}Rows)};\n")
endforeach()
if(DEFINED SOURCE_VARIABLE)
  file(READ ${SOURCE} text)
  string(APPEND source "\nextern const char ${SOURCE_VARIABLE}[] = R\"source(${text})source\";\n")
endif()
file(WRITE ${OUTPUT}.new "${source}")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
