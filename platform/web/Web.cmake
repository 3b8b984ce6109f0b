# The browser build with emscripten: what every program linking the platform needs (the
# module's JavaScript side, Asyncify for the waits, the browser's storage), and what the game's
# own module adds (its page glue and its preloaded data).

set(VAULTREACH_WEB_DIR ${CMAKE_CURRENT_LIST_DIR})

# emcc defines the old macro `unix`, which no standard compiler mode does.
add_compile_options(-Uunix)
# No build folder or source path may reach the outputs: the site must be the same bytes
# wherever it is built.
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=.
                    -fdebug-prefix-map=${CMAKE_SOURCE_DIR}=. -fdebug-prefix-map=${CMAKE_BINARY_DIR}=.)
# The build line of the log takes its date from VAULTREACH_SOURCE_DATE_EPOCH (tools/web/build.sh
# passes the commit's), as this compiler's own __DATE__ ignores SOURCE_DATE_EPOCH. Only the file
# that logs it is built again when the date changes.
if(VAULTREACH_SOURCE_DATE_EPOCH)
  set(ENV{SOURCE_DATE_EPOCH} ${VAULTREACH_SOURCE_DATE_EPOCH})
  string(TIMESTAMP VAULTREACH_BUILD_MONTH "%b" UTC)
  string(TIMESTAMP VAULTREACH_BUILD_DAY "%d" UTC)
  string(TIMESTAMP VAULTREACH_BUILD_YEAR "%Y" UTC)
  string(TIMESTAMP VAULTREACH_BUILD_TIME "%H:%M:%S" UTC)
  string(REGEX REPLACE "^0" " " VAULTREACH_BUILD_DAY "${VAULTREACH_BUILD_DAY}")
  set_source_files_properties(${CMAKE_SOURCE_DIR}/game/Game.cpp PROPERTIES COMPILE_OPTIONS
    "-Wno-builtin-macro-redefined;-D__DATE__=\"${VAULTREACH_BUILD_MONTH} ${VAULTREACH_BUILD_DAY} ${VAULTREACH_BUILD_YEAR}\";-D__TIME__=\"${VAULTREACH_BUILD_TIME}\"")
endif()

# Every program: the platform's JavaScript (line input, sleeps, the page's console, the folder
# sync), IndexedDB behind the file system, and the standard library flushed and the exit
# handlers run when main ends (the save's log lines are written then).
target_link_options(vr_platform INTERFACE
  "SHELL:--js-library ${VAULTREACH_WEB_DIR}/library_vaultreach.js"
  -lidbfs.js
  -sFORCE_FILESYSTEM=1
  -sALLOW_MEMORY_GROWTH=1
  -sEXIT_RUNTIME=1)
set_property(TARGET vr_platform APPEND PROPERTY INTERFACE_LINK_DEPENDS
             ${VAULTREACH_WEB_DIR}/library_vaultreach.js)

# The game's module for the page: vaultreach.js, vaultreach.wasm and vaultreach.data (the text
# data files, preloaded before main). The sounds are left out of the package: the module fetches
# them after the title is on screen, so the title never waits for the music.
function(vaultreach_web_module target)
  set_target_properties(${target} PROPERTIES SUFFIX ".js")
  # The waits (a line, a pause, the folder sync) suspend the game through Asyncify; the
  # tests under node never wait, so only the game pays for it.
  target_link_options(${target} PRIVATE
    -sASYNCIFY=1
    "-sASYNCIFY_IMPORTS=['vr_read_line','vr_sleep','vr_sync_folder']"
    -sASYNCIFY_STACK_SIZE=65536
    "SHELL:--pre-js ${VAULTREACH_WEB_DIR}/pre.js"
    "SHELL:--preload-file ${CMAKE_SOURCE_DIR}/data@/vaultreach-data"
    "SHELL:--exclude-file *.ogg"
    "SHELL:--exclude-file *.wav"
    -sENVIRONMENT=web
    -Os)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${VAULTREACH_WEB_DIR}/pre.js)
endfunction()
