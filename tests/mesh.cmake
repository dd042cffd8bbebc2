# The mesh tool's report is tested without going through the demotool binary.
if(TARGET mesh_reader_test)
  target_sources(mesh_reader_test PRIVATE ${CMAKE_SOURCE_DIR}/tools/demotool/MeshReport.cpp)
endif()
