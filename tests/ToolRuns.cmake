# Every maintainer's tool in tools/ runs in the suite, briefly, so that a tool that breaks fails a
# test. The recorders and the music generator are run in their checking mode: they make their
# outputs in a scratch folder and fail when those differ from what is committed. The measuring
# tools' figures are never judged (speed is measured, not asserted); they run when the measuring
# programs are built (VAULTREACH_MEASURE, whose targets tools/CMakeLists.txt defines).
# Included by tests/CMakeLists.txt for the native POSIX build only.
set(tools ${PROJECT_SOURCE_DIR}/tools)
set(tool_runs ToolRuns.Music ToolRuns.StoredReplays ToolRuns.BrowserGameRecording)
add_test(NAME ToolRuns.Music COMMAND ${tools}/make_music.sh --check)
add_test(NAME ToolRuns.StoredReplays COMMAND ${tools}/record_replays.sh --check ${CMAKE_BINARY_DIR})
add_test(NAME ToolRuns.BrowserGameRecording
         COMMAND ${tools}/web/record_native.sh --check ${CMAKE_BINARY_DIR})
if(VAULTREACH_MEASURE)
  list(APPEND tool_runs ToolRuns.Benchmark ToolRuns.ColourTable ToolRuns.Pauses
       ToolRuns.WritesPerTurn)
  add_test(NAME ToolRuns.Benchmark COMMAND ${tools}/benchmark/run.sh ${CMAKE_BINARY_DIR} 100)
  add_test(NAME ToolRuns.ColourTable COMMAND vaultreach_colour_table)
  add_test(NAME ToolRuns.Pauses
           COMMAND python3 ${tools}/terminal/measure.py pause
                   $<TARGET_FILE:vaultreach_platform_timing> --runs 3)
  add_test(NAME ToolRuns.WritesPerTurn
           COMMAND python3 ${tools}/terminal/measure.py writes ${CMAKE_BINARY_DIR}/run/vaultreach
                   --turns 2 --preload $<TARGET_FILE:vaultreach_preload_clock>)
endif()
set_tests_properties(${tool_runs} PROPERTIES TIMEOUT 300)
