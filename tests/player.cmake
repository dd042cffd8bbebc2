if(TARGET player_test AND TARGET demo)
  target_compile_definitions(player_test PRIVATE DEMO_PLAYER_PATH="$<TARGET_FILE:demo>")
  add_dependencies(player_test demo)
endif()
