# FLAC files are checked with libFLAC before the mixer's decoder plays them.
# The Windows, browser and package builds' mixers have no FLAC decoder, and so
# nothing to check.
if(NOT WIN32 AND NOT EMSCRIPTEN AND NOT DEMO_PACKAGE)
  pkg_check_modules(FLAC REQUIRED IMPORTED_TARGET flac)
  target_link_libraries(democore PUBLIC PkgConfig::FLAC)
endif()
