# Tests of the orrery command: runs it on the fixtures of this folder and
# compares what it writes. Included from tools/CMakeLists.txt.
set(ORRERY_TOOL_FIXTURES ${PROJECT_SOURCE_DIR}/tests/tools)

# orrery_tool_test(NAME [check.sh checks...] -- ARGS...)
function(orrery_tool_test name)
  add_test(NAME tool.${name}
    COMMAND bash ${ORRERY_TOOL_FIXTURES}/check.sh $<TARGET_FILE:orrery> ${ARGN}
    WORKING_DIRECTORY ${ORRERY_TOOL_FIXTURES})
  set_tests_properties(tool.${name} PROPERTIES LABELS tool)
endfunction()

# Streams against their fixtures.
orrery_tool_test(utm.forward_stream --stdin utm_forward.in --stdout utm_forward.out -- utm)
orrery_tool_test(utm.inverse_stream --stdin utm_inverse.in --stdout utm_inverse.out --status 2
  --stderr-lines 1 --stderr-has "line 18: LETTER:" -- utm --inverse)
orrery_tool_test(utm.json_stream --stdin utm_forward.in --stdout utm_forward_json.out
  -- utm --json)
orrery_tool_test(utm.bad_lines_answered_in_place --stdin utm_bad.in --stdout utm_bad.out
  --status 2 --stderr-lines 3 --stderr-has "orrery utm: line 3: LAT: expected degrees"
  --stderr-has "line 5: LON: 600 is outside" --stderr-has "line 7: expected LAT LON" -- utm)
orrery_tool_test(utm.strict_stops_at_first_bad_line --stdin utm_bad.in
  --stdout utm_bad_strict.out --status 2 --stderr-lines 1 --stderr-has "line 3:"
  -- utm --strict)
orrery_tool_test(convert.stream --stdin convert_lla.in --stdout convert_lla_cart.out
  -- convert --lonlat --from lla --to cart)
orrery_tool_test(zenith.j2000 --stdout zenith_j2000.out
  -- zenith --time 2000-01-01T12:00:00Z --lat 45 --lon 0)

# The command's contracts, one table section each (contracts.txt).
foreach(section scheme_and_band grid_reproductions carry domain alignment input_forms messages)
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

# orient, cull, demo.
orrery_tool_test(orient.east_and_down --stdout orient.out
  -- orient --eye 0,0,1000 --look-at 0,0.1,0)
orrery_tool_test(cull.sphere --stdout cull_sphere.out -- cull --shape sphere)
orrery_tool_test(cull.rectangle --stdout cull_rectangle.out -- cull --shape rectangle)
orrery_tool_test(cull.panorama_across_the_seam --stdout cull_panorama.out
  -- cull --shape cylinder --angles 20,-20,-180,180 --facing 0 --eye 46.5580,7.9850,3472
  --look-at 46.5500,7.9850,3472)
orrery_tool_test(cull.svg --stdout cull_sphere.out
  --file-has ${CMAKE_CURRENT_BINARY_DIR}/cull_test.svg "<rect"
  -- cull --shape sphere --svg ${CMAKE_CURRENT_BINARY_DIR}/cull_test.svg)
orrery_tool_test(demo.runs --stdout-has "5. The visible part" -- demo)

# --json output parses and carries the numbers.
add_test(NAME tool.json_parses
  COMMAND ${CMAKE_COMMAND} -DORRERY=$<TARGET_FILE:orrery> -DFIXTURES=${ORRERY_TOOL_FIXTURES}
  -P ${ORRERY_TOOL_FIXTURES}/CheckJson.cmake)
set_tests_properties(tool.json_parses PROPERTIES LABELS tool)

# The line parser, directly.
find_package(GTest REQUIRED)
include(GoogleTest)
add_executable(test_ToolParser ${ORRERY_TOOL_FIXTURES}/LineParser_test.cpp)
target_link_libraries(test_ToolParser PRIVATE orrery_tool GTest::gtest_main)
gtest_discover_tests(test_ToolParser PROPERTIES LABELS tool DISCOVERY_TIMEOUT 60)
