# Included by ctest (TEST_INCLUDE_FILES): lists the test program's GoogleTest suites and adds
# one ctest test per suite. The listing happens when ctest runs, in the environment the caller
# set up (the Wine prefix, say). Each suite is bounded against a hang, not timed: a sanitizer
# build on a busy machine takes minutes for the longest.
# Set before including: EMULATOR (the command that runs the program, with its options,
# separated by spaces; empty for a native program), PROGRAM, and SLOW, the suites that take
# longest (they start first, beside the others).
separate_arguments(emulator UNIX_COMMAND "${EMULATOR}")
execute_process(COMMAND ${emulator} ${PROGRAM} --gtest_list_tests
                OUTPUT_VARIABLE listing RESULT_VARIABLE status TIMEOUT 120)
if(NOT status EQUAL 0)
  # A test of its own that fails, so the failure to list shows as a failed test, not as none.
  add_test(ListingTheSuites ${emulator} ${PROGRAM} --gtest_list_tests)
  return()
endif()
string(REPLACE "\n" ";" lines "${listing}")
foreach(line IN LISTS lines)
  # A suite's line starts in the first column and ends its name with a full stop.
  if(line MATCHES "^([^ #][^ ]*)\\.( .*)?$")
    add_test("${CMAKE_MATCH_1}" ${emulator} ${PROGRAM} "--gtest_filter=${CMAKE_MATCH_1}.*")
    set_tests_properties("${CMAKE_MATCH_1}" PROPERTIES TIMEOUT 900)
    list(FIND SLOW "${CMAKE_MATCH_1}" slow)
    if(slow GREATER -1)
      set_tests_properties("${CMAKE_MATCH_1}" PROPERTIES COST 1000)
    endif()
  endif()
endforeach()
