# Included by ctest (TEST_INCLUDE_FILES): lists the test program's GoogleTest suites and adds
# one ctest test per suite. The listing happens when ctest runs, in the environment the caller
# set up (the Wine prefix, say). Each suite is bounded against a hang, not timed: a sanitizer
# build on a busy machine takes minutes for the longest.
# Set before including: EMULATOR (the command that runs the program, with its options,
# separated by spaces; empty for a native program), PROGRAM, SLOW, the suites that take longest
# (they start first, beside the others), and SPLIT, the suites that take longer than all the
# others together somewhere (the soak under Wine): one ctest test per case, so they share out
# among the processors.
separate_arguments(emulator UNIX_COMMAND "${EMULATOR}")
execute_process(COMMAND ${emulator} ${PROGRAM} --gtest_list_tests
                OUTPUT_VARIABLE listing RESULT_VARIABLE status TIMEOUT 120)
if(NOT status EQUAL 0)
  # A test of its own that fails, so the failure to list shows as a failed test, not as none.
  add_test(ListingTheSuites ${emulator} ${PROGRAM} --gtest_list_tests)
  return()
endif()
string(REPLACE "\n" ";" lines "${listing}")
# (ctest reads this file with no policies set: no if(IN_LIST) here.)
function(add_suite_test name filter suite)
  add_test("${name}" ${emulator} ${PROGRAM} "--gtest_filter=${filter}")
  set_tests_properties("${name}" PROPERTIES TIMEOUT 900)
  list(FIND SLOW "${suite}" slow)
  if(slow GREATER -1)
    set_tests_properties("${name}" PROPERTIES COST 1000)
  endif()
endfunction()
set(split -1)
foreach(line IN LISTS lines)
  # A suite's line starts in the first column and ends its name with a full stop; its cases
  # follow, indented by two spaces.
  if(line MATCHES "^([^ #][^ ]*)\\.( .*)?$")
    set(suite "${CMAKE_MATCH_1}")
    list(FIND SPLIT "${suite}" split)
    if(split EQUAL -1)
      add_suite_test("${suite}" "${suite}.*" "${suite}")
    endif()
  elseif(split GREATER -1 AND line MATCHES "^  ([^ ]+)")
    add_suite_test("${suite}.${CMAKE_MATCH_1}" "${suite}.${CMAKE_MATCH_1}" "${suite}")
  endif()
endforeach()
