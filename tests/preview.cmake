# The preview's session is tested without the tool's window loop.
if(TARGET preview_test)
  target_sources(preview_test PRIVATE
    ${CMAKE_SOURCE_DIR}/tools/demotool/FileWatch.cpp
    ${CMAKE_SOURCE_DIR}/tools/demotool/PreviewKeys.cpp
    ${CMAKE_SOURCE_DIR}/tools/demotool/PreviewMusic.cpp
    ${CMAKE_SOURCE_DIR}/tools/demotool/PreviewSession.cpp
    ${CMAKE_SOURCE_DIR}/tools/demotool/PreviewShow.cpp)
endif()
