# Assembly listings for people who study what the compilers make of the code.
#
# add_assembly_listing(<target>) compiles the target's sources once more, with
# the same options, definitions, include directories and optimisation level
# but without sanitizers, and with -S, so each "object" is the compiler's
# assembly.
# The target `asm` copies them to <build>/asm/<target>/<source>.s.

add_custom_target(asm COMMENT "Assembly listings in ${PROJECT_BINARY_DIR}/asm")

function(add_assembly_listing target)
  get_target_property(sources ${target} SOURCES)
  get_target_property(source_dir ${target} SOURCE_DIR)
  list(FILTER sources INCLUDE REGEX "\\.cpp$")
  list(TRANSFORM sources PREPEND "${source_dir}/" REGEX "^[^/]")

  get_target_property(libraries ${target} LINK_LIBRARIES)
  list(REMOVE_ITEM libraries project_sanitizers)

  set(listing ${target}.asm)
  add_library(${listing} OBJECT EXCLUDE_FROM_ALL ${sources})
  target_link_libraries(${listing} PRIVATE ${libraries})
  target_include_directories(${listing} PRIVATE $<TARGET_PROPERTY:${target},INCLUDE_DIRECTORIES>)
  # Without debug information the listing holds the code and little else.
  target_compile_options(${listing} PRIVATE $<TARGET_PROPERTY:${target},COMPILE_OPTIONS> -S -g0)
  target_compile_definitions(${listing} PRIVATE $<TARGET_PROPERTY:${target},COMPILE_DEFINITIONS>)

  add_custom_target(${listing}.copy
    COMMAND ${CMAKE_COMMAND} "-DOBJECTS=$<TARGET_OBJECTS:${listing}>"
            -DDESTINATION=${PROJECT_BINARY_DIR}/asm/${target}
            -P ${PROJECT_SOURCE_DIR}/cmake/CopyAssembly.cmake
    DEPENDS ${listing}
    VERBATIM)
  add_dependencies(asm ${listing}.copy)
endfunction()
