# Lists the suites of a GoogleTest program built with emscripten and writes one ctest test per
# suite into OUTPUT, each running that suite under EMULATOR (node and its options).
# Usage: cmake -DEMULATOR="node --opt" -DPROGRAM=tests.js -DOUTPUT=suites.cmake -P NodeSuites.cmake
separate_arguments(emulator UNIX_COMMAND "${EMULATOR}")
execute_process(COMMAND ${emulator} ${PROGRAM} --gtest_list_tests
                OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --gtest_list_tests failed: ${status}")
endif()
string(REPLACE "\n" ";" lines "${listing}")
set(text "")
foreach(line IN LISTS lines)
  # A suite's line starts in the first column and ends its name with a full stop.
  if(line MATCHES "^([^ #][^ ]*)\\.( .*)?$")
    set(suite "${CMAKE_MATCH_1}")
    string(APPEND text "add_test([==[${suite}]==] ${EMULATOR} [==[${PROGRAM}]==] "
           "[==[--gtest_filter=${suite}.*]==])\n"
           "set_tests_properties([==[${suite}]==] PROPERTIES TIMEOUT 300)\n")
  endif()
endforeach()
file(WRITE "${OUTPUT}" "${text}")
