# demo.exe carries the player's icon as a resource, converted from the picture
# the asset generator draws for the window.
if(WIN32 AND TARGET demo)
  enable_language(RC)
  find_program(ICOTOOL icotool REQUIRED)
  set(icon_png ${CMAKE_SOURCE_DIR}/data/png/icon.png)
  set(icon_ico ${CMAKE_BINARY_DIR}/icon.ico)
  add_custom_command(OUTPUT ${icon_ico}
    COMMAND ${ICOTOOL} -c -o ${icon_ico} ${icon_png}
    DEPENDS ${icon_png})
  set(icon_rc ${CMAKE_SOURCE_DIR}/platform/windows/demo.rc)
  set_source_files_properties(${icon_rc} PROPERTIES OBJECT_DEPENDS ${icon_ico})
  target_sources(demo PRIVATE ${icon_rc})
  # windres looks for the files a script names in its include folders.
  target_include_directories(demo PRIVATE ${CMAKE_BINARY_DIR})
endif()
