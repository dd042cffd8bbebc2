# The script tool's tests run the tool itself.
if(TARGET demotool AND TARGET demotool_script_test)
  add_dependencies(demotool_script_test demotool)
  target_compile_definitions(demotool_script_test PRIVATE DEMOTOOL_PATH="$<TARGET_FILE:demotool>")
endif()
