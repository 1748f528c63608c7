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
# sources, to read (cmake/FormatAssembly.cmake); the target `asm` writes them
# to <build>/asm/<target>/<source>.s.

add_custom_target(asm COMMENT "Assembly listings in ${PROJECT_BINARY_DIR}/asm")

# Listings show C++ names demangled where binutils' c++filt is found.
find_program(CXXFILT_EXECUTABLE NAMES c++filt)
if(NOT CXXFILT_EXECUTABLE)
  message(WARNING "c++filt not found: the assembly listings show C++ names mangled")
  set(CXXFILT_EXECUTABLE "")
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

function(add_assembly_listing target)
  set(listing ${target}.asm)
  add_compiled_assembly(${listing} ${target})
  add_custom_target(${listing}.copy
    COMMAND ${CMAKE_COMMAND} "-DOBJECTS=$<TARGET_OBJECTS:${listing}>"
            -DDESTINATION=${PROJECT_BINARY_DIR}/asm/${target}
            -DCXXFILT=${CXXFILT_EXECUTABLE}
            -P ${PROJECT_SOURCE_DIR}/cmake/CopyAssembly.cmake
    DEPENDS ${listing}
            ${PROJECT_SOURCE_DIR}/cmake/CopyAssembly.cmake
            ${PROJECT_SOURCE_DIR}/cmake/FormatAssembly.cmake
    VERBATIM)
  add_dependencies(asm ${listing}.copy)
endfunction()
