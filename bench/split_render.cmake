# The split render is measured by running demotool itself on the bundled show.
if(TARGET split_render_bench AND TARGET demotool)
  add_dependencies(split_render_bench demotool)
  target_compile_definitions(split_render_bench PRIVATE DEMOTOOL_PATH="$<TARGET_FILE:demotool>"
                                                        DEMO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endif()
