# Finds cram, the transcript tester (Debian: python3-cram, whose command is
# cram3). Sets Cram_FOUND and CRAM_EXECUTABLE.
find_program(CRAM_EXECUTABLE NAMES cram3 cram DOC "cram, which replays shell transcripts")
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(Cram REQUIRED_VARS CRAM_EXECUTABLE)
mark_as_advanced(CRAM_EXECUTABLE)
