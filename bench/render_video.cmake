# The offline-render benchmark drives the same encoder as demotool render and
# reads the bundled show from the repository root.
if(TARGET render_video_bench)
  target_sources(render_video_bench PRIVATE ${CMAKE_SOURCE_DIR}/tools/demotool/VideoEncoder.cpp)
  target_compile_definitions(render_video_bench PRIVATE DEMO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endif()
