# The render command's tests run the tool itself, and call its option parser.
if(TARGET demotool AND TARGET render_command_test)
  add_dependencies(render_command_test demotool)
  target_compile_definitions(render_command_test PRIVATE DEMOTOOL_PATH="$<TARGET_FILE:demotool>")
  target_link_libraries(render_command_test PRIVATE demotool_render demotool_script)
endif()
