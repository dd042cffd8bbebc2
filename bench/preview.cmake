# The preview's rebuild and seek are measured on the show in data/ of the source tree.
if(TARGET preview_bench)
  target_sources(preview_bench PRIVATE
    ${CMAKE_SOURCE_DIR}/tools/demotool/FileWatch.cpp
    ${CMAKE_SOURCE_DIR}/tools/demotool/PreviewKeys.cpp
    ${CMAKE_SOURCE_DIR}/tools/demotool/PreviewMusic.cpp
    ${CMAKE_SOURCE_DIR}/tools/demotool/PreviewSession.cpp
    ${CMAKE_SOURCE_DIR}/tools/demotool/PreviewShow.cpp)
  target_compile_definitions(preview_bench PRIVATE DEMO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endif()
