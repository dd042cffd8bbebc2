# The music tests encode their own test tracks.
pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET sndfile)
target_link_libraries(music_test PRIVATE PkgConfig::SNDFILE)
