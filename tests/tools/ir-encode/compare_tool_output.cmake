# Runs TOOL on INPUT and fails unless its output equals EXPECTED byte for byte.
execute_process(COMMAND ${TOOL} ${INPUT} OUTPUT_VARIABLE actual RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${TOOL} exited with ${status}")
endif()
file(READ ${EXPECTED} expected)
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "output differs.\nexpected:\n${expected}\nactual:\n${actual}")
endif()
