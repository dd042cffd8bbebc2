# The browser layer is built into the desktop's test of it, so that Mesa's
# fixed function and GLU can check what it draws.
target_sources(web_layer_test PRIVATE ${CMAKE_SOURCE_DIR}/platform/web/WebGL.cpp)
set_source_files_properties(${CMAKE_SOURCE_DIR}/platform/web/WebGL.cpp PROPERTIES COMPILE_DEFINITIONS DEMO_WEB_LAYER)
