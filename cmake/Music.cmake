# FLAC files are checked with libFLAC before the mixer's decoder plays them.
pkg_check_modules(FLAC REQUIRED IMPORTED_TARGET flac)
target_link_libraries(democore PUBLIC PkgConfig::FLAC)
