# The library as its consumers meet it. Installs the build tree into a fresh
# prefix ($HOME/orrery, HOME being WORK/home), then:
# - follows the README's "Using it" section to the letter: its main.cpp and
#   CMakeLists.txt in a fresh directory, then its shell commands in one shell
#   (the block that builds and installs the library is what this script has
#   just done); every "# prints: ..." there must be printed;
# - builds the look-at example through find_package;
# - builds the golden program as an outside consumer with -O3 -march=native,
#   through find_package with g++ and through pkg-config with clang, and
#   requires its output to equal that of the library's own golden program
#   (GOLDEN) bit for bit;
# - checks that the headers refuse fast-math.
# In a sanitizer build (CXX_FLAGS set) `c++` is a wrapper adding CXX_FLAGS,
# so that the consumers link the sanitizer runtime too; clang, whose runtime
# does not mix with g++'s, is left out then.

function(run)
  execute_process(COMMAND ${ARGV} WORKING_DIRECTORY ${WORK} RESULT_VARIABLE result
    OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "failed: ${ARGV}\n${out}\n${err}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/app)
set(ENV{HOME} ${WORK}/home)
set(prefix ${WORK}/home/orrery)
foreach(var PKG_CONFIG_PATH LD_LIBRARY_PATH CXX CXXFLAGS CMAKE_PREFIX_PATH)
  unset(ENV{${var}})
endforeach()
set(cxx g++)
if(CXX_FLAGS)
  set(cxx ${WORK}/bin/c++)
  file(WRITE ${cxx} "#!/bin/sh\nexec g++ ${CXX_FLAGS} \"$@\"\n")
  file(CHMOD ${cxx} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
  set(ENV{PATH} "${WORK}/bin:$ENV{PATH}")
endif()
run(${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix})

# The README's consumer.
file(READ ${ROOT}/README.md readme)
string(FIND "${readme}" "\n## Using it\n" begin)
string(SUBSTRING "${readme}" ${begin} -1 rest)
string(REGEX REPLACE "\n## [^U].*$" "" rest "${rest}")
set(script "set -euo pipefail\n")
set(blocks 0)
set(files "")
while(rest MATCHES "```([a-z]+)\n([^`]*)```(.*)$")
  set(lang ${CMAKE_MATCH_1})
  set(body "${CMAKE_MATCH_2}")
  set(rest "${CMAKE_MATCH_3}")
  if(lang STREQUAL "cpp")
    file(WRITE ${WORK}/app/main.cpp "${body}")
    string(APPEND files " main.cpp")
  elseif(lang STREQUAL "cmake")
    file(WRITE ${WORK}/app/CMakeLists.txt "${body}")
    string(APPEND files " CMakeLists.txt")
  elseif(lang STREQUAL "sh" AND NOT body MATCHES "cmake --install")
    math(EXPR blocks "${blocks} + 1")
    string(APPEND script "${body}echo '@@ end of block ${blocks}'\n")
    set(expect_${blocks} "")
    if(body MATCHES "# prints: ([^\n]*)")
      set(expect_${blocks} "${CMAKE_MATCH_1}")
    endif()
  endif()
endwhile()
if(NOT files STREQUAL " main.cpp CMakeLists.txt" OR blocks LESS 3)
  message(FATAL_ERROR "README \"Using it\": expected main.cpp, CMakeLists.txt and at least three "
    "blocks of consumer commands, found${files} and ${blocks} blocks")
endif()
execute_process(COMMAND bash -c "${script}" WORKING_DIRECTORY ${WORK}/app RESULT_VARIABLE result
  OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "README \"Using it\" commands failed (${result}):\n${out}\n${err}")
endif()
foreach(n RANGE 1 ${blocks})
  string(FIND "${out}" "@@ end of block ${n}\n" at)
  string(SUBSTRING "${out}" 0 ${at} seen)
  string(FIND "${seen}" "${expect_${n}}" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "README \"Using it\" block ${n} did not print '${expect_${n}}':\n${seen}")
  endif()
  string(SUBSTRING "${out}" ${at} -1 out)
  string(REGEX REPLACE "^@@[^\n]*\n" "" out "${out}")
endforeach()

run(${CMAKE_COMMAND} -S ${ROOT}/examples/lookat -B ${WORK}/lookat -DCMAKE_CXX_COMPILER=${cxx}
  -DCMAKE_PREFIX_PATH=${prefix})
run(${CMAKE_COMMAND} --build ${WORK}/lookat)
run(${WORK}/lookat/lookat)
if(NOT last_output MATCHES "new roll +0\\.200000")
  message(FATAL_ERROR "unexpected output of the look-at example:\n${last_output}")
endif()

# The golden program outside, with the consumer's optimisation for this very
# machine (fused multiply-adds where it has them).
run(${GOLDEN})
set(own "${last_output}")
set(consumers gcc-find_package)
run(${CMAKE_COMMAND} -S ${ROOT}/tests/package/golden -B ${WORK}/golden -DCMAKE_CXX_COMPILER=${cxx}
  -DCMAKE_PREFIX_PATH=${prefix} "-DCMAKE_CXX_FLAGS=-O3 -march=native"
  -DGOLDEN_SOURCE=${ROOT}/tests/golden/golden.cpp)
run(${CMAKE_COMMAND} --build ${WORK}/golden)
run(${WORK}/golden/golden)
set(output_gcc-find_package "${last_output}")
set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIBDIR}/pkgconfig)
run(pkg-config --cflags --libs orrery-math)
separate_arguments(pc_flags UNIX_COMMAND "${last_output}")
if(NOT CXX_FLAGS)
  list(APPEND consumers clang-pkg-config)
  run(clang++-14 -std=c++20 -O3 -march=native ${ROOT}/tests/golden/golden.cpp ${pc_flags}
    -Wl,-rpath,${prefix}/${LIBDIR} -o ${WORK}/golden-clang)
  run(${WORK}/golden-clang)
  set(output_clang-pkg-config "${last_output}")
endif()
set(differ "")
foreach(consumer ${consumers})
  if(NOT output_${consumer} STREQUAL own)
    file(WRITE ${WORK}/golden-own.txt "${own}")
    file(WRITE ${WORK}/golden-${consumer}.txt "${output_${consumer}}")
    string(APPEND differ " ${WORK}/golden-${consumer}.txt")
  endif()
endforeach()
if(differ)
  message(FATAL_ERROR "the golden program built by a consumer with -O3 -march=native differs "
    "from the library's own (${WORK}/golden-own.txt):${differ}")
endif()

# Fast-math is refused where the compiler announces it.
file(WRITE ${WORK}/fast-math.cpp "#include \"math/all.h\"\n")
execute_process(COMMAND g++ -std=c++20 -ffast-math -fsyntax-only ${WORK}/fast-math.cpp ${pc_flags}
  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(result EQUAL 0 OR NOT err MATCHES "exact results need fast-math off")
  message(FATAL_ERROR "the headers accepted -ffast-math:\n${err}")
endif()
message(STATUS "package: README consumer, look-at example and golden consumers (${consumers}) ok")
