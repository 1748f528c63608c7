# One picture: calcexplain --dot LINE | dot -Tsvg >OUTPUT, failing if either fails.
execute_process(COMMAND ${CALCEXPLAIN} --dot -- ${LINE}
                COMMAND ${DOT} -Tsvg
                OUTPUT_FILE ${OUTPUT}
                RESULTS_VARIABLE statuses)
if(NOT statuses STREQUAL "0;0")
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "calcexplain --dot ${LINE} | dot -Tsvg: exit statuses ${statuses}")
endif()
