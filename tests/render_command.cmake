# The render command's tests run the tool itself.
if(TARGET demotool AND TARGET render_command_test)
  add_dependencies(render_command_test demotool)
  target_compile_definitions(render_command_test PRIVATE DEMOTOOL_PATH="$<TARGET_FILE:demotool>")
endif()
