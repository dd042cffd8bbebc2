# The mesh tool's report is tested without going through the demotool binary.
if(TARGET mesh_reader_test)
  target_link_libraries(mesh_reader_test PRIVATE demotool_mesh)
endif()
