# A program's --help and --version, run without a display, and its manual page kept in step:
# every option that --help lists must head an entry (a .TP tag) of the page.
# An option it does not know is a bad usage (status 2), told on standard error.
#   cmake -DPROGRAM=<binary> -DNAME=<name> -DVERSION=<x.y.z> -DPAGE=<page.1> [-DWINDOW=1]
#         -P manual_page_test.cmake
cmake_minimum_required(VERSION 3.25)
set(no_display ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
               --unset=QT_QPA_PLATFORM)
execute_process(COMMAND ${no_display} ${PROGRAM} --version TIMEOUT 20 RESULT_VARIABLE status
                OUTPUT_VARIABLE version ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR NOT version STREQUAL "${NAME} ${VERSION}\n")
  message(FATAL_ERROR "${NAME} --version without a display: status ${status}, printed "
                      "'${version}' '${errors}', not '${NAME} ${VERSION}'")
endif()
execute_process(COMMAND ${no_display} ${PROGRAM} --help TIMEOUT 20 RESULT_VARIABLE status
                OUTPUT_VARIABLE help ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR NOT help MATCHES "Usage: ${NAME} ")
  message(FATAL_ERROR "${NAME} --help without a display: status ${status}: ${help} ${errors}")
endif()
execute_process(COMMAND ${no_display} ${PROGRAM} --no-such-option TIMEOUT 20
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE errors)
if(NOT status EQUAL 2 OR NOT errors MATCHES "Try '${NAME} --help'")
  message(FATAL_ERROR "${NAME} --no-such-option: status ${status}, not 2: ${out} ${errors}")
endif()

# The desktop program (-DWINDOW=1) leaves Qt's options to Qt, and without a display says that its
# window needs one, also when the display named cannot be opened; on Qt's offscreen platform the
# window comes up (and SIGTERM closes it, status 0). Never an abort.
function(expect_window status pattern)
  execute_process(COMMAND ${no_display} ${ARGN} TIMEOUT 20 RESULT_VARIABLE got
                  ERROR_VARIABLE errors OUTPUT_QUIET)
  if(NOT got EQUAL status OR NOT errors MATCHES "${pattern}")
    message(FATAL_ERROR "${ARGN}: status ${got}, not ${status}: ${errors}")
  endif()
endfunction()
if(WINDOW)
  set(folder ${CMAKE_CURRENT_BINARY_DIR})
  expect_window(2 "Unknown option 'no-such-option'" ${PROGRAM} -platform offscreen -reverse
                --no-such-option)
  expect_window(1 "needs a display \\(DISPLAY is not set\\)" ${PROGRAM} ${folder})
  expect_window(1 "needs a display \\(none could be opened\\)" DISPLAY=:65000 ${PROGRAM})
  expect_window(0 "" XDG_CONFIG_HOME=${folder} timeout --preserve-status 5 ${PROGRAM}
                -platform offscreen ${folder})
endif()

# Lines read as list elements: no character may split or group them.
function(read_lines text out)
  string(REGEX REPLACE "[][;\\\"]" " " text "${text}")
  string(REPLACE "\n" ";" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()
set(option_pattern "--?[A-Za-z0-9?][-A-Za-z0-9]*")

# The options of --help: on lines that start with blanks and a dash, up to the two blanks
# before the description.
read_lines("${help}" help_lines)
set(options)
foreach(line IN LISTS help_lines)
  if(line MATCHES "^ +(-[^ ]*( [^ ]+)*)")
    string(REGEX MATCHALL "${option_pattern}" found "${CMAKE_MATCH_1}")
    list(APPEND options ${found})
  endif()
endforeach()
if(NOT options)
  message(FATAL_ERROR "${NAME} --help lists no options:\n${help}")
endif()

# The options the page's entries are headed by, font changes and escapes taken out.
file(READ ${PAGE} page)
string(REGEX REPLACE "\\\\f[BIRP]" "" page "${page}")
string(REPLACE "\\-" "-" page "${page}")
read_lines("${page}" page_lines)
set(entries)
set(tag_next FALSE)
foreach(line IN LISTS page_lines)
  if(tag_next)
    string(REGEX REPLACE "^\\.[A-Z]+ " "" line "${line}")
    string(REGEX MATCHALL "${option_pattern}" found "${line}")
    list(APPEND entries ${found})
  endif()
  string(REGEX MATCH "^\\.TP" tag_next "${line}")
endforeach()

set(missing)
foreach(option IN LISTS options)
  if(NOT option IN_LIST entries)
    list(APPEND missing ${option})
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "${PAGE} has no entry for ${missing}, which ${NAME} --help lists")
endif()
list(REMOVE_DUPLICATES options)
message(STATUS "${NAME}: --version and --help answer without a display; ${PAGE} has entries "
               "for all of: ${options}")
