# The preview's session is tested without the tool's window loop.
if(TARGET preview_test)
  target_sources(preview_test PRIVATE
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
  target_link_libraries(preview_test PRIVATE PkgConfig::DEMOTOOL_CAIRO PkgConfig::DEMOTOOL_SNDFILE)
endif()
