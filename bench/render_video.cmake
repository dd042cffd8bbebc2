# The offline-render benchmark drives the same encoder as demotool render and
# reads the bundled show from the repository root.
if(TARGET render_video_bench)
  target_link_libraries(render_video_bench PRIVATE demotool_render)
  target_compile_definitions(render_video_bench PRIVATE DEMO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endif()
