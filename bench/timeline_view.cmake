# The timeline picture is measured on the show in data/ of the source tree.
if(TARGET timeline_view_bench)
  target_link_libraries(timeline_view_bench PRIVATE demotool_preview)
  target_compile_definitions(timeline_view_bench PRIVATE DEMO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endif()
