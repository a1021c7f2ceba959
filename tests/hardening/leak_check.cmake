# Runs one whole session of the built program (two runs with an output file,
# so every channel is opened, written and closed) and fails on a leak or a
# memory error: under valgrind when VALGRIND is given, else as it is (a
# sanitizer build reports leaks itself and exits with 23).
#   cmake -DPROGRAM=... -DTHRUST_FILE=... -DWORK_DIR=... [-DVALGRIND=...] -P leak_check.cmake
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
file(COPY "${THRUST_FILE}" DESTINATION "${WORK_DIR}")
file(WRITE "${WORK_DIR}/answers.in" "leak.txt\n20\n30\n19\n25\n-1\n")

set(runner "")
if(VALGRIND)
  set(runner "${VALGRIND}" --leak-check=full --errors-for-leak-kinds=definite,indirect,possible
             --error-exitcode=1 --quiet)
endif()

execute_process(COMMAND ${runner} "${PROGRAM}"
                WORKING_DIRECTORY "${WORK_DIR}"
                INPUT_FILE "${WORK_DIR}/answers.in"
                OUTPUT_FILE "${WORK_DIR}/console.out"
                ERROR_VARIABLE errors
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the session ended with ${status}:\n${errors}")
endif()
file(READ "${WORK_DIR}/leak.txt" output)
string(FIND "${output}" "Turn time (s)? -1.000" end)
if(end EQUAL -1)
  message(FATAL_ERROR "the session did not come to its end:\n${output}")
endif()
message("whole session without leaks or memory errors")
