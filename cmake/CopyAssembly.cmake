# Script mode: writes the listings of the compiler's assembly in OBJECTS
# (object files by name, assembly by content) to DESTINATION as <source>.s,
# formatted to read (FormatAssembly.cmake) with PROCESSOR's marks; CXXFILT,
# if set, demangles.
# The listings already in the directories PARTS are copied beside them.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/FormatAssembly.cmake)

file(MAKE_DIRECTORY ${DESTINATION})
foreach(object IN LISTS OBJECTS)
  get_filename_component(name ${object} NAME)
  string(REGEX REPLACE "\\.cpp\\.o(bj)?$" ".s" name ${name})
  file(READ ${object} text)
  format_assembly("${text}" listing CXXFILT "${CXXFILT}" PROCESSOR "${PROCESSOR}")
  file(WRITE ${DESTINATION}/${name} "${listing}")
endforeach()
foreach(part IN LISTS PARTS)
  file(GLOB listings ${part}/*.s)
  file(COPY ${listings} DESTINATION ${DESTINATION})
endforeach()
