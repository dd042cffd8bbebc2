# The preview's rebuild, seek, reloads and timeline strip are measured on the show in data/ of the source tree.
if(TARGET preview_bench)
  target_link_libraries(preview_bench PRIVATE demotool_preview)
  target_compile_definitions(preview_bench PRIVATE DEMO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endif()
