# Finds Graphviz's dot, which draws calcexplain's trees (Debian: graphviz).
# Sets Graphviz_FOUND and DOT_EXECUTABLE.
find_program(DOT_EXECUTABLE NAMES dot DOC "Graphviz's dot, which lays out and draws graphs")
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(Graphviz REQUIRED_VARS DOT_EXECUTABLE)
mark_as_advanced(DOT_EXECUTABLE)
