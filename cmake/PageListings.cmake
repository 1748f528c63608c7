# The page's listings: the asm listings of the programs' own code for every
# target whose compiler this machine has, gathered for the page to show.
#
# Each target's listings come from the project itself configured once more
# for that target, as its preset configures it (Release, its toolchain file;
# x86-64 with g++), in <build>/listings/build/<target>, where the asm
# target's listings are written as data too (ASSEMBLY_JSON). Only assembly
# is made: nothing links or runs. The target `page-listings` then holds:
#   <build>/listings/<target>/<listing>.json   the data, by the schema
#                                              docs/schemas/listing.schema.json
#   <build>/web/listings/<target>/<listing>.js the same, as a script that
#                                              sets pageListings["<target>/<listing>"]
#   <build>/web/listings/index.js              pageListingIndex: the targets
#                                              and listings there are
# Scripts, because the page is opened from file:// and may load a script
# but not fetch a file; the page loads a listing's script when it shows it.
# The global property PAGE_LISTING_FILES names the page's files.
#
# Configure says which targets are left out, and why.

# The configurations that gather listings stop here.
if(LISTINGS_ONLY)
  return()
endif()

set(PAGE_LISTINGS_DIR ${PROJECT_BINARY_DIR}/web/listings)
set(_pl_data_dir ${PROJECT_BINARY_DIR}/listings)

# Target, compiler, toolchain file (cmake/toolchains/), and the title the
# page gives its listings.
set(_pl_targets x86_64 i686 sparc64 aarch64 riscv64 ppc64le s390x wasm32)
set(_pl_compiler_x86_64 g++)
set(_pl_title_x86_64 "what g++ made for x86-64")
set(_pl_cross i686 sparc64 aarch64 riscv64 ppc64le s390x)
set(_pl_triplets i686 sparc64 aarch64 riscv64 powerpc64le s390x)
set(_pl_names "i686 (32-bit x86)" sparc64 "aarch64 (64-bit ARM)" riscv64 "ppc64le (POWER)" "s390x (IBM Z)")
foreach(target triplet title IN ZIP_LISTS _pl_cross _pl_triplets _pl_names)
  set(_pl_compiler_${target} ${triplet}-linux-gnu-g++)
  set(_pl_toolchain_${target} ${triplet}-linux-gnu.cmake)
  set(_pl_title_${target} "what g++ made for ${title}")
endforeach()
set(_pl_compiler_wasm32 em++)
set(_pl_toolchain_wasm32 wasm32-emscripten.cmake)
set(_pl_title_wasm32 "WebAssembly, as it runs here")

# The listings, by the asm target's directory and source: the program or
# part they are of, the build (fact's plain one at -O0, its optimised one
# at -O2, the rest as the presets build them, -O3), and what each is.
set(_pl_listings
  "fact-plain/fact|fact|plain|fact, plain build (-O0): it calls itself"
  "fact-opt/fact|fact|optimised|fact, optimised build (-O2): the recursion made a loop"
  "arithmetic/harmonic|harmonic|optimised|the harmonic sums: precision2's strict steps, precisionx's extended ones"
  "arithmetic/extended|extended|optimised|the extended steps in integer arithmetic"
  "sections/part1|part1|optimised|precision's part 1"
  "sections/part2|part2|optimised|precision's part 2: ten tenths added"
  "sections/part3|part3|optimised|precision's part 3"
  "calcloop/loop|calcloop|optimised|calcloop's rules: loops"
  "calcminusrec/minusrec|calcminusrec|optimised|calcminusrec's rules"
  "calcrec/rec|calcrec|optimised|calcrec's rules: recursion")

# The programs' sources, which the listings are of.
file(GLOB_RECURSE _pl_sources CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/common/*.h ${PROJECT_SOURCE_DIR}/common/*.cpp
  ${PROJECT_SOURCE_DIR}/calculator/*.h ${PROJECT_SOURCE_DIR}/calculator/*.cpp
  ${PROJECT_SOURCE_DIR}/precision/*.h ${PROJECT_SOURCE_DIR}/precision/*.cpp
  ${PROJECT_SOURCE_DIR}/factorial/*.h ${PROJECT_SOURCE_DIR}/factorial/*.cpp)
list(FILTER _pl_sources EXCLUDE REGEX "/(explain|bench|trees|plot)/")

set(PAGE_LISTING_TARGETS "")
set(_pl_page_files "")
set(_pl_left_out "")
foreach(target IN LISTS _pl_targets)
  set(why "")
  if(target STREQUAL "x86_64" AND NOT CMAKE_HOST_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
    set(why "this build machine is not x86-64")
  else()
    find_program(_pl_found_${target} NAMES ${_pl_compiler_${target}} NO_CACHE)
    if(NOT _pl_found_${target})
      set(why "${_pl_compiler_${target}} not found")
    elseif(target STREQUAL "wasm32")
      find_program(_pl_node NAMES node nodejs NO_CACHE)
      if(NOT _pl_node)
        set(why "node not found, which emscripten's toolchain needs")
      endif()
    endif()
  endif()
  if(why)
    list(APPEND _pl_left_out "${target} (${why})")
    continue()
  endif()
  list(APPEND PAGE_LISTING_TARGETS ${target})

  set(configure_options -DCMAKE_BUILD_TYPE=Release)
  if(DEFINED _pl_toolchain_${target})
    list(APPEND configure_options --toolchain ${PROJECT_SOURCE_DIR}/cmake/toolchains/${_pl_toolchain_${target}})
  else()
    list(APPEND configure_options -DCMAKE_CXX_COMPILER=${_pl_compiler_${target}})
  endif()
  set(outputs "")
  set(names "")
  foreach(entry IN LISTS _pl_listings)
    string(REGEX REPLACE "\\|.*" "" listing "${entry}")
    string(REPLACE "/" "." name "${listing}")
    list(APPEND names ${listing})
    list(APPEND outputs ${_pl_data_dir}/${target}/${name}.json ${PAGE_LISTINGS_DIR}/${target}/${name}.js)
    list(APPEND _pl_page_files ${PAGE_LISTINGS_DIR}/${target}/${name}.js)
  endforeach()
  list(JOIN configure_options "|" configure_options)
  add_custom_command(OUTPUT ${outputs}
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
            -DBINARY_DIR=${_pl_data_dir}/build/${target} "-DGENERATOR=${CMAKE_GENERATOR}"
            "-DOPTIONS=${configure_options}" -DTARGET=${target} "-DLISTINGS=${names}"
            -DDATA_DIR=${_pl_data_dir}/${target} -DPAGE_DIR=${PAGE_LISTINGS_DIR}/${target}
            -P ${PROJECT_SOURCE_DIR}/cmake/BuildListings.cmake
    DEPENDS ${_pl_sources} ${PROJECT_SOURCE_DIR}/cmake/BuildListings.cmake
            ${PROJECT_SOURCE_DIR}/cmake/FormatAssembly.cmake ${PROJECT_SOURCE_DIR}/cmake/ListingJson.cmake
            ${PROJECT_SOURCE_DIR}/cmake/CopyAssembly.cmake ${PROJECT_SOURCE_DIR}/cmake/AssemblyListing.cmake
    COMMENT "The page's listings for ${target}"
    VERBATIM)
  add_custom_target(listings-${target} DEPENDS ${outputs})
endforeach()
if(_pl_left_out)
  list(JOIN _pl_left_out ", " _pl_left_out)
  message(STATUS "The page's listings leave out: ${_pl_left_out}")
endif()

# The index: every target there is, with its title, and every listing.
set(_pl_index "// Generated by cmake/PageListings.cmake: the page's listings.\n")
string(APPEND _pl_index "var pageListingIndex = {\n  \"targets\": [")
set(separator "")
foreach(target IN LISTS PAGE_LISTING_TARGETS)
  string(APPEND _pl_index "${separator}\n    {\"name\": \"${target}\", \"title\": \"${_pl_title_${target}}\"}")
  set(separator ",")
endforeach()
string(APPEND _pl_index "\n  ],\n  \"listings\": [")
set(separator "")
foreach(entry IN LISTS _pl_listings)
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 listing)
  list(GET entry 1 program)
  list(GET entry 2 build)
  list(GET entry 3 title)
  string(REPLACE "/" "." name "${listing}")
  string(APPEND _pl_index "${separator}\n    {\"name\": \"${name}\", \"program\": \"${program}\", "
                          "\"build\": \"${build}\", \"title\": \"${title}\"}")
  set(separator ",")
endforeach()
string(APPEND _pl_index "\n  ]\n};\n")
file(CONFIGURE OUTPUT ${PAGE_LISTINGS_DIR}/index.js CONTENT "${_pl_index}" @ONLY)
list(APPEND _pl_page_files ${PAGE_LISTINGS_DIR}/index.js)

set(_pl_targets_built ${PAGE_LISTING_TARGETS})
list(TRANSFORM _pl_targets_built PREPEND listings-)
add_custom_target(page-listings DEPENDS ${_pl_page_files})
if(_pl_targets_built)
  add_dependencies(page-listings ${_pl_targets_built})
endif()
set_property(GLOBAL PROPERTY PAGE_LISTING_FILES ${_pl_page_files})
