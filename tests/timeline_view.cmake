# The timeline picture is tested through the tool, with its lanes and layout
# rebuilt in the test to know where to look.
if(TARGET demotool AND TARGET timeline_view_test)
  add_dependencies(timeline_view_test demotool)
  target_compile_definitions(timeline_view_test PRIVATE DEMOTOOL_PATH="$<TARGET_FILE:demotool>")
  target_link_libraries(timeline_view_test PRIVATE demotool_preview)
endif()
