# Fails when a C++ file of the tree differs from its clang-format output.
file(GLOB_RECURSE files RELATIVE ${ROOT}
  ${ROOT}/common/*.h ${ROOT}/common/*.cpp ${ROOT}/math/*.h ${ROOT}/math/*.cpp
  ${ROOT}/tests/*.h ${ROOT}/tests/*.cpp ${ROOT}/bench/*.h ${ROOT}/bench/*.cpp
  ${ROOT}/examples/*.cpp ${ROOT}/tools/*.h ${ROOT}/tools/*.cpp ${ROOT}/fuzz/*.h ${ROOT}/fuzz/*.cpp)
execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${files}
  WORKING_DIRECTORY ${ROOT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "unformatted files (run clang-format -i on them)")
endif()
