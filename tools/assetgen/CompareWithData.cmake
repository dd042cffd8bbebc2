# Runs the generator into a scratch directory and compares every file it
# writes, byte for byte, with the committed data directory; a file missing
# on either side fails too. Called by ctest with -DASSETGEN, -DOUT and -DDATA.
file(REMOVE_RECURSE "${OUT}")
execute_process(COMMAND "${ASSETGEN}" "${OUT}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "assetgen failed with ${result}")
endif()
file(GLOB_RECURSE generated RELATIVE "${OUT}" "${OUT}/*")
file(GLOB_RECURSE committed RELATIVE "${DATA}" "${DATA}/*")
list(SORT generated)
list(SORT committed)
if(NOT generated STREQUAL committed)
  message(FATAL_ERROR "file lists differ:\n generated: ${generated}\n committed: ${committed}")
endif()
set(mismatches "")
foreach(name ${generated})
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${OUT}/${name}" "${DATA}/${name}"
                  RESULT_VARIABLE same)
  if(NOT same EQUAL 0)
    list(APPEND mismatches ${name})
  endif()
endforeach()
if(mismatches)
  message(FATAL_ERROR "regenerated files differ from data/: ${mismatches}\n"
                      "Run: build/tools/assetgen/assetgen data")
endif()
list(LENGTH generated count)
message(STATUS "assetgen reproduced all ${count} files of data/")
