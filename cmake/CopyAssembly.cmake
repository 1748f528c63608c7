# Script mode: writes the listings of the compiler's assembly in OBJECTS
# (object files by name, assembly by content) to DESTINATION as <source>.s,
# formatted to read (FormatAssembly.cmake) with PROCESSOR's marks; CXXFILT,
# if set, demangles. With ROOT (the project's source directory), each
# listing is also written as data for the page, <source>.json
# (ListingJson.cmake), from the same rows.
# The listings already in the directories PARTS are copied beside them.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/FormatAssembly.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/ListingJson.cmake)

file(MAKE_DIRECTORY ${DESTINATION})
foreach(object IN LISTS OBJECTS)
  get_filename_component(name ${object} NAME)
  string(REGEX REPLACE "\\.cpp\\.o(bj)?$" "" name ${name})
  file(READ ${object} text)
  format_assembly("${text}" listing CXXFILT "${CXXFILT}" PROCESSOR "${PROCESSOR}"
                  ROWS rows SOURCES sources)
  file(WRITE ${DESTINATION}/${name}.s "${listing}")
  if(ROOT)
    listing_json("${rows}" "${sources}" json PROCESSOR "${PROCESSOR}" SOURCE "${name}.cpp" ROOT "${ROOT}")
    file(WRITE ${DESTINATION}/${name}.json "${json}")
  endif()
endforeach()
foreach(part IN LISTS PARTS)
  file(GLOB listings ${part}/*.s ${part}/*.json)
  file(COPY ${listings} DESTINATION ${DESTINATION})
endforeach()
