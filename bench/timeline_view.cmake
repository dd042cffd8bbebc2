# The timeline picture is measured on the show in data/ of the source tree.
if(TARGET timeline_view_bench)
  target_sources(timeline_view_bench PRIVATE
    ${CMAKE_SOURCE_DIR}/tools/demotool/ScriptSession.cpp
    ${CMAKE_SOURCE_DIR}/tools/demotool/TimelineLanes.cpp
    ${CMAKE_SOURCE_DIR}/tools/demotool/TimelinePainter.cpp
    ${CMAKE_SOURCE_DIR}/tools/demotool/MusicEnvelope.cpp)
  target_link_libraries(timeline_view_bench PRIVATE PkgConfig::DEMOTOOL_CAIRO PkgConfig::DEMOTOOL_SNDFILE)
  target_compile_definitions(timeline_view_bench PRIVATE DEMO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endif()
