# The timeline strip's cost is measured over the preview of the show in data/.
if(TARGET preview_strip_bench)
  target_sources(preview_strip_bench PRIVATE
    ${CMAKE_SOURCE_DIR}/tools/demotool/FileWatch.cpp
    ${CMAKE_SOURCE_DIR}/tools/demotool/PreviewKeys.cpp
    ${CMAKE_SOURCE_DIR}/tools/demotool/PreviewMusic.cpp
    ${CMAKE_SOURCE_DIR}/tools/demotool/PreviewSession.cpp
    ${CMAKE_SOURCE_DIR}/tools/demotool/PreviewShow.cpp
    ${CMAKE_SOURCE_DIR}/tools/demotool/ScriptSession.cpp
    ${CMAKE_SOURCE_DIR}/tools/demotool/TimelineLanes.cpp
    ${CMAKE_SOURCE_DIR}/tools/demotool/TimelinePainter.cpp
    ${CMAKE_SOURCE_DIR}/tools/demotool/TimelineStrip.cpp
    ${CMAKE_SOURCE_DIR}/tools/demotool/MusicEnvelope.cpp)
  target_link_libraries(preview_strip_bench PRIVATE PkgConfig::DEMOTOOL_CAIRO PkgConfig::DEMOTOOL_SNDFILE)
  target_compile_definitions(preview_strip_bench PRIVATE DEMO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endif()
