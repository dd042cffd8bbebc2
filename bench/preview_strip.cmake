# The timeline strip's cost is measured over the preview of the show in data/.
if(TARGET preview_strip_bench)
  target_link_libraries(preview_strip_bench PRIVATE demotoolpreview)
  target_compile_definitions(preview_strip_bench PRIVATE DEMO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endif()
