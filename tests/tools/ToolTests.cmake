# Tests of the orrery command, included from tools/CMakeLists.txt: the
# contract table (with every example of the help texts and the README), the
# comparison with GeoConvert, the random stream alignment, and the line
# parser's own unit tests.
set(ORRERY_TOOL_FIXTURES ${PROJECT_SOURCE_DIR}/tests/tools)

# The command's contracts, one table section each (contracts.txt).
foreach(section streams_and_views scheme_and_band grid_reproductions carry domain alignment input_forms messages)
  add_test(NAME tool.contract.${section}
    COMMAND bash ${ORRERY_TOOL_FIXTURES}/contracts.sh $<TARGET_FILE:orrery> ${section})
  set_tests_properties(tool.contract.${section} PROPERTIES LABELS tool)
endforeach()

# Every example of every --help and of the README prints what it shows.
add_test(NAME tool.examples
  COMMAND bash ${ORRERY_TOOL_FIXTURES}/examples.sh $<TARGET_FILE:orrery>
  ${PROJECT_SOURCE_DIR}/README.md)
set_tests_properties(tool.examples PROPERTIES LABELS tool)

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

# The line parser, directly.
find_package(GTest REQUIRED)
include(GoogleTest)
add_executable(test_ToolParser ${ORRERY_TOOL_FIXTURES}/LineParser_test.cpp)
target_link_libraries(test_ToolParser PRIVATE orrery_tool GTest::gtest_main)
gtest_discover_tests(test_ToolParser PROPERTIES LABELS tool DISCOVERY_TIMEOUT 60)
