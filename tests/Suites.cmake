# Included by ctest (TEST_INCLUDE_FILES) for a test program that runs under an emulator (node
# for the browser build, Wine for the Windows one): lists the program's GoogleTest suites and
# adds one ctest test per suite. Each start of the emulator costs most of a second, which one
# test per case would pay hundreds of times. The listing happens when ctest runs, in the
# emulator's environment as the caller set it up (the Wine prefix, say).
# Set before including: EMULATOR (the command and its options, separated by spaces), PROGRAM,
# and SLOW, the suites that take longest (they start first, beside the others).
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
    set_tests_properties("${CMAKE_MATCH_1}" PROPERTIES TIMEOUT 300)
    list(FIND SLOW "${CMAKE_MATCH_1}" slow)
    if(slow GREATER -1)
      set_tests_properties("${CMAKE_MATCH_1}" PROPERTIES COST 1000)
    endif()
  endif()
endforeach()
