# Installs the build tree into a fresh prefix, then builds and runs the
# look-at example against it twice: through find_package(orrery CONFIG) and
# through pkg-config orrery-math.

function(run)
  execute_process(COMMAND ${ARGV} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "failed: ${ARGV}\n${out}\n${err}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK})
set(prefix ${WORK}/prefix)
run(${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix})

run(${CMAKE_COMMAND} -S ${ROOT}/examples/lookat -B ${WORK}/cmake-consumer
  -DCMAKE_PREFIX_PATH=${prefix} "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}")
run(${CMAKE_COMMAND} --build ${WORK}/cmake-consumer)
run(${WORK}/cmake-consumer/lookat)
if(NOT last_output MATCHES "new roll +0\\.200000")
  message(FATAL_ERROR "unexpected output of the find_package consumer:\n${last_output}")
endif()

set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIBDIR}/pkgconfig)
run(pkg-config --cflags --libs orrery-math)
separate_arguments(flags UNIX_COMMAND "${last_output}")
separate_arguments(build_flags UNIX_COMMAND "${CXX_FLAGS}")
run(c++ ${build_flags} -std=c++20 -ffp-contract=off -Wall -Wextra -Werror ${ROOT}/examples/lookat/main.cpp
  ${flags} -Wl,-rpath,${prefix}/${LIBDIR} -o ${WORK}/pkgconfig-lookat)
run(${WORK}/pkgconfig-lookat)
if(NOT last_output MATCHES "new roll +0\\.200000")
  message(FATAL_ERROR "unexpected output of the pkg-config consumer:\n${last_output}")
endif()
