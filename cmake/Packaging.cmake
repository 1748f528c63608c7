# One Debian package of the whole suite: `cpack -G DEB` in a build
# directory, or the package workflow. Its dependencies are computed from the
# programs (dpkg-shlibdeps).

set(package teaching-programs)
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/${package})
install(FILES README.md scripts/demo.sh packaging/copyright DESTINATION ${doc_dir})
# The walk-throughs beside it, where the README's links expect them.
install(FILES calculator/README.md DESTINATION ${doc_dir}/calculator)
install(FILES calculator/trees/10-3-2.svg calculator/trees/1+2+3.svg calculator/trees/2x3-4x5.svg
  DESTINATION ${doc_dir}/calculator/trees)
install(FILES precision/README.md precision/harmonic-sums.png DESTINATION ${doc_dir}/precision)
install(FILES factorial/README.md DESTINATION ${doc_dir}/factorial)
install(FILES docs/platforms.md docs/testing.md docs/benchmarks.md docs/web.md docs/web.png
  docs/lessons.md DESTINATION ${doc_dir}/docs)
install(DIRECTORY docs/schemas DESTINATION ${doc_dir}/docs FILES_MATCHING PATTERN "*.json")

# Debian wants the changelog compressed, like the manual pages.
find_program(GZIP gzip)
if(GZIP)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/changelog ${PROJECT_BINARY_DIR}/changelog
    COMMAND ${GZIP} -9nf ${PROJECT_BINARY_DIR}/changelog
    DEPENDS packaging/changelog
    VERBATIM)
  add_custom_target(changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/changelog.gz)
  install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${doc_dir})
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${package})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Teaching programs maintainers <teaching-programs@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small programs about grammars, rounding and recursion")
set(CPACK_PACKAGE_DESCRIPTION [[
Tiny command-line programs for teaching, each meant to be run, read and
studied in its output and assembly: three integer calculators that differ
only in the shape of their recursive-descent grammar, with calcexplain to
show how each reads a line; three reports that show, bit by bit, how
single-precision arithmetic loses accuracy; and a recursive factorial,
built plainly and optimised, with factexplain to show each build's calls
and stack frames.]])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The programs are stripped, as Debian wants. The debugger sessions
# (watch-fact) use the build tree's, which keep their debug information.
# (CPack's -dbgsym package lists absolute paths in its md5sums, which
# lintian rightly rejects.)
set(CPACK_STRIP_FILES ON)
include(CPack)
