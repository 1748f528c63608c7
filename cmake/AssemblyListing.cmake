# Assembly listings for people who study what the compilers make of the code.
#
# add_compiled_assembly(<name> <target> [SANITIZED]) compiles the target's
# sources once more into the object library <name>, with the same options,
# definitions, include directories and optimisation level, with -S and -g,
# so each "object" is the compiler's assembly with the source lines of its
# code (.loc); -g does not change the code. Sanitizers are left out unless
# SANITIZED is given.
#
# add_assembly_listing(<target>) makes a listing of each of the target's
# sources and of the sources of the parts it links, to read
# (cmake/FormatAssembly.cmake); the target `asm` writes them to
# <build>/asm/<target>/<source>.s, and with ASSEMBLY_JSON each as data for
# the page beside it, <source>.json (cmake/ListingJson.cmake).

add_custom_target(asm COMMENT "Assembly listings in ${PROJECT_BINARY_DIR}/asm")

# The builds that gather the page's listings (cmake/PageListings.cmake)
# turn this on; other builds write the text alone.
option(ASSEMBLY_JSON "Write each assembly listing as JSON for the page as well" OFF)
set(_assembly_json_root "")
if(ASSEMBLY_JSON)
  set(_assembly_json_root -DROOT=${PROJECT_SOURCE_DIR})
endif()

# Listings show C++ names demangled where binutils' c++filt is found.
find_program(CXXFILT_EXECUTABLE NAMES c++filt)
if(NOT CXXFILT_EXECUTABLE)
  message(WARNING "c++filt not found: the assembly listings show C++ names mangled")
  set(CXXFILT_EXECUTABLE "")
endif()

# The processor the listings are of, whose family's marks they get.
if(EMSCRIPTEN)
  set(ASSEMBLY_PROCESSOR wasm32)
else()
  set(ASSEMBLY_PROCESSOR ${CMAKE_SYSTEM_PROCESSOR})
endif()

function(add_compiled_assembly name target)
  cmake_parse_arguments(PARSE_ARGV 2 arg "SANITIZED" "" "")
  get_target_property(sources ${target} SOURCES)
  get_target_property(source_dir ${target} SOURCE_DIR)
  list(FILTER sources INCLUDE REGEX "\\.cpp$")
  list(TRANSFORM sources PREPEND "${source_dir}/" REGEX "^[^/]")

  get_target_property(libraries ${target} LINK_LIBRARIES)
  if(NOT arg_SANITIZED)
    list(REMOVE_ITEM libraries project_sanitizers)
  endif()

  add_library(${name} OBJECT EXCLUDE_FROM_ALL ${sources})
  target_link_libraries(${name} PRIVATE ${libraries})
  target_include_directories(${name} PRIVATE $<TARGET_PROPERTY:${target},INCLUDE_DIRECTORIES>)
  target_compile_options(${name} PRIVATE $<TARGET_PROPERTY:${target},COMPILE_OPTIONS> -S -g)
  target_compile_definitions(${name} PRIVATE $<TARGET_PROPERTY:${target},COMPILE_DEFINITIONS>)
  get_target_property(ipo ${target} INTERPROCEDURAL_OPTIMIZATION)
  if(NOT ipo STREQUAL "ipo-NOTFOUND")
    set_target_properties(${name} PROPERTIES INTERPROCEDURAL_OPTIMIZATION ${ipo})
  endif()
endfunction()

# The program parts (static libraries of ours) that <target> links, directly
# or through another part.
function(_assembly_parts target out)
  get_property(parts GLOBAL PROPERTY PROJECT_PARTS)
  set(found "")
  set(pending ${target})
  while(pending)
    list(POP_FRONT pending current)
    get_target_property(libraries ${current} LINK_LIBRARIES)
    foreach(library IN LISTS libraries)
      if(library IN_LIST parts AND NOT library IN_LIST found)
        list(APPEND found ${library})
        list(APPEND pending ${library})
      endif()
    endforeach()
  endwhile()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# A program's listings are of all its code: its own sources and, copied
# beside them, the listings of the parts it links (each compiled as the
# program gets it, and formatted once).
function(add_assembly_listing target)
  set(listing ${target}.asm)
  add_compiled_assembly(${listing} ${target})
  _assembly_parts(${target} parts)
  set(part_directories ${parts})
  list(TRANSFORM part_directories PREPEND ${PROJECT_BINARY_DIR}/asm/)
  add_custom_target(${listing}.copy
    COMMAND ${CMAKE_COMMAND} "-DOBJECTS=$<TARGET_OBJECTS:${listing}>"
            "-DPARTS=${part_directories}"
            -DDESTINATION=${PROJECT_BINARY_DIR}/asm/${target}
            -DCXXFILT=${CXXFILT_EXECUTABLE} -DPROCESSOR=${ASSEMBLY_PROCESSOR}
            ${_assembly_json_root}
            -P ${PROJECT_SOURCE_DIR}/cmake/CopyAssembly.cmake
    DEPENDS ${PROJECT_SOURCE_DIR}/cmake/CopyAssembly.cmake
            ${PROJECT_SOURCE_DIR}/cmake/FormatAssembly.cmake
            ${PROJECT_SOURCE_DIR}/cmake/ListingJson.cmake
    VERBATIM)
  add_dependencies(${listing}.copy ${listing})
  foreach(part IN LISTS parts)
    add_dependencies(${listing}.copy ${part}.asm.copy)
  endforeach()
  add_dependencies(asm ${listing}.copy)
endfunction()

include(${CMAKE_CURRENT_LIST_DIR}/PageListings.cmake)
