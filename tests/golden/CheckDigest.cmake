# Runs PROGRAM and compares the SHA-256 of its output with the first word of
# DIGEST.
execute_process(COMMAND ${PROGRAM} RESULT_VARIABLE result OUTPUT_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} failed: ${result}")
endif()
string(SHA256 actual "${output}")
file(READ ${DIGEST} kept)
string(REGEX MATCH "^[0-9a-f]+" expected "${kept}")
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "golden results changed: digest ${actual}, kept ${expected}; "
    "compare with tests/golden/check.sh and update digest.txt if the change is meant")
endif()
