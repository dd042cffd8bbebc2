# The music benchmark encodes its own tracks.
if(TARGET music_bench)
  pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET sndfile)
  target_link_libraries(music_bench PRIVATE PkgConfig::SNDFILE)
endif()
