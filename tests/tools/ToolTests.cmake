# Tests of the orrery command, included from tools/CMakeLists.txt, in three
# forms: the contract table (command, input, expected output and exit status;
# its examples section reads every example of the help texts and the README),
# the comparison with GeoConvert, and the random stream alignment.
set(ORRERY_TOOL_FIXTURES ${PROJECT_SOURCE_DIR}/tests/tools)

# The command's contracts, one table section each (contracts.txt), and every
# example of every --help and of the README printing what it shows.
foreach(section streams_and_views scheme_and_band grid_reproductions carry domain alignment
        input_forms messages examples)
  add_test(NAME tool.contract.${section}
    COMMAND bash ${ORRERY_TOOL_FIXTURES}/contracts.sh $<TARGET_FILE:orrery> ${section})
  set_tests_properties(tool.contract.${section} PROPERTIES LABELS tool)
endforeach()

# Against GeographicLib's GeoConvert on random and edge values: UTM, UPS and MGRS both
# ways (and the viewer's series within its bounds),
# degrees-minutes-seconds, the input forms.
find_program(GEOCONVERT GeoConvert)
add_test(NAME tool.agrees_with_geoconvert
  COMMAND bash ${ORRERY_TOOL_FIXTURES}/compare_geoconvert.sh $<TARGET_FILE:orrery>
  "${GEOCONVERT}")
set_tests_properties(tool.agrees_with_geoconvert PROPERTIES LABELS tool SKIP_RETURN_CODE 77)

# Mixed good and bad lines through every stream: one line out per line in,
# and every good line answered as in a clean run.
add_test(NAME tool.streams_stay_aligned
  COMMAND bash ${ORRERY_TOOL_FIXTURES}/alignment.sh $<TARGET_FILE:orrery>)
set_tests_properties(tool.streams_stay_aligned PROPERTIES LABELS tool)

