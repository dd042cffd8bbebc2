# The preview's session is tested without the tool's window loop.
if(TARGET preview_test)
  target_link_libraries(preview_test PRIVATE demotool_preview)
endif()
