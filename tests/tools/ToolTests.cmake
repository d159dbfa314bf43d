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

# utm: arguments, streams, errors.
orrery_tool_test(utm.forward_arguments --stdout-text "18 T 609377.347 5039449.713"
  -- utm 45.5 -73.6)
orrery_tool_test(utm.inverse_arguments --stdout-text "45.50000000 -73.60000001"
  -- utm --inverse 18 T 609377.347 5039449.713)
orrery_tool_test(utm.forward_stream --stdin utm_forward.in --stdout utm_forward.out -- utm)
orrery_tool_test(utm.inverse_stream --stdin utm_inverse.in --stdout utm_inverse.out
  -- utm --inverse)
orrery_tool_test(utm.json_stream --stdin utm_forward.in --stdout utm_forward_json.out
  -- utm --json)
orrery_tool_test(utm.bad_lines_reported_and_skipped --stdin utm_bad.in --stdout utm_bad.out
  --status 2 --stderr-lines 3 --stderr-has "orrery utm: line 3: LAT: expected a number"
  --stderr-has "line 5: LON: 200 is outside" --stderr-has "line 7: expected LAT LON" -- utm)
orrery_tool_test(utm.strict_stops_at_first_bad_line --stdin utm_bad.in
  --stdout utm_bad_strict.out --status 2 --stderr-lines 1 --stderr-has "line 3:"
  -- utm --strict)
orrery_tool_test(utm.inverse_bad_letter --status 2 --stdout-empty --stderr-lines 1
  --stderr-has "LETTER: expected a UTM band letter" -- utm --inverse 18 I 609377 5039449)
orrery_tool_test(utm.latitude_outside_bands --status 2 --stdout-empty --stderr-lines 1
  --stderr-has "LAT: 85 is outside the UTM bands" -- utm 85 10)
orrery_tool_test(utm.wrong_count --status 2 --stderr-lines 1
  --stderr-has "expected LAT LON (degrees), got 3 fields" -- utm 1 2 3)
orrery_tool_test(utm.unknown_option --status 2 --stderr-lines 1 --stderr-has "--bogus"
  -- utm --bogus)
orrery_tool_test(no_subcommand --status 2 --stderr-lines 1 --stderr-has "subcommand" --)
orrery_tool_test(utm.help_has_example --stdout-has "Example:" --stdout-has "orrery utm 45.5"
  -- utm --help)

# The stream against GeographicLib's GeoConvert on the same points.
find_program(GEOCONVERT GeoConvert)
add_test(NAME tool.utm.agrees_with_geoconvert
  COMMAND bash ${ORRERY_TOOL_FIXTURES}/compare_geoconvert.sh $<TARGET_FILE:orrery>
  "${GEOCONVERT}")
set_tests_properties(tool.utm.agrees_with_geoconvert PROPERTIES LABELS tool SKIP_RETURN_CODE 77)

# convert, dms, hms, zenith.
orrery_tool_test(convert.stream --stdin convert_lla.in --stdout convert_lla_cart.out
  -- convert --from lla --to cart)
orrery_tool_test(convert.round_trip_to_norm --stdout-text "0.5 0.25 1"
  -- convert --from lla --to norm 90 45 6371000)
orrery_tool_test(convert.cart_to_lla --stdout-text "-180.000 0.000 0.000"
  -- convert --from cart --to lla -p 3 0 0 1)
orrery_tool_test(convert.bad_latitude --status 2 --stderr-lines 1
  --stderr-has "LAT: 95 is beyond the poles" -- convert --from lla --to cart 10 95 0)
orrery_tool_test(convert.bad_form --status 2 --stderr-lines 1 --stderr-has "--from"
  -- convert --from xyz --to cart 1 2 3)
orrery_tool_test(dms.negative --stdout-text "-45° 30' 0.000\"" -- dms -45.5)
orrery_tool_test(dms.sign_below_one_degree --stdout-text "-0° 30' 0.000\"" -- dms -0.5)
orrery_tool_test(dms.decimal_minutes --stdout-text "10° 15.000'" -- dms --dmm 10.25)
orrery_tool_test(dms.out_of_range --status 2 --stderr-lines 1
  --stderr-has "DEGREES: 200 is outside -180 to 180 degrees" -- dms 200)
orrery_tool_test(hms.quarter_turn --stdout-text "18h 00m 0.000s" -- hms 0.5)
orrery_tool_test(zenith.j2000 --stdin /dev/null --stdout zenith_j2000.out
  -- zenith --time 2000-01-01T12:00:00Z --lat 45 --lon 0)
orrery_tool_test(zenith.bad_time --status 2 --stdout-empty --stderr-lines 1
  --stderr-has "--time: expected an ISO 8601 UTC time"
  -- zenith --time 2000-02-30T12:00:00Z --lat 45 --lon 0)
orrery_tool_test(zenith.missing_option --status 2 --stderr-lines 1 --stderr-has "--lat"
  -- zenith --time 2000-01-01T12:00:00Z --lon 0)

# orient, cull, demo.
orrery_tool_test(orient.east_and_down --stdout orient.out
  -- orient --eye 0,0,1000 --look-at 0,0.1,0)
orrery_tool_test(orient.bad_place --status 2 --stderr-lines 1
  --stderr-has "--eye: expected LAT,LON,ALT" -- orient --eye 1,2 --look-at 0,0,0)
orrery_tool_test(cull.sphere --stdout cull_sphere.out -- cull --shape sphere)
orrery_tool_test(cull.rectangle --stdout cull_rectangle.out -- cull --shape rectangle)
orrery_tool_test(cull.panorama_across_the_seam --stdout cull_panorama.out
  -- cull --shape cylinder --angles 20,-20,-180,180 --facing 0 --eye 46.5580,7.9850,3472
  --look-at 46.5500,7.9850,3472)
orrery_tool_test(cull.looking_away --stdout-text "nothing of the photograph is in view"
  -- cull --shape rectangle --facing 135 --look-at 46.5700,7.9600,4200)
orrery_tool_test(cull.svg --stdout cull_sphere.out
  --file-has ${CMAKE_CURRENT_BINARY_DIR}/cull_test.svg "<rect"
  -- cull --shape sphere --svg ${CMAKE_CURRENT_BINARY_DIR}/cull_test.svg)
orrery_tool_test(cull.bad_angles --status 2 --stdout-empty --stderr-lines 1 --stderr-has "--angles"
  -- cull --shape rectangle --angles 30,-30,60,-60)
orrery_tool_test(cull.unwritable_svg --status 2 --stderr-lines 1 --stderr-has "--svg: cannot write"
  -- cull --svg /nonexistent/dir/out.svg)
orrery_tool_test(demo.runs --stdout-has "5. The visible part" -- demo)

# --json output parses and carries the numbers.
add_test(NAME tool.json_parses
  COMMAND ${CMAKE_COMMAND} -DORRERY=$<TARGET_FILE:orrery> -DFIXTURES=${ORRERY_TOOL_FIXTURES}
  -P ${ORRERY_TOOL_FIXTURES}/CheckJson.cmake)
set_tests_properties(tool.json_parses PROPERTIES LABELS tool)

# The line parser, directly, and random bytes through the whole command.
find_package(GTest REQUIRED)
include(GoogleTest)
add_executable(test_ToolParser ${ORRERY_TOOL_FIXTURES}/LineParser_test.cpp)
target_link_libraries(test_ToolParser PRIVATE orrery_tool GTest::gtest_main)
target_compile_definitions(test_ToolParser PRIVATE ORRERY_EXE="$<TARGET_FILE:orrery>")
add_dependencies(test_ToolParser orrery)
gtest_discover_tests(test_ToolParser PROPERTIES LABELS tool DISCOVERY_TIMEOUT 60)
