# The generator must reproduce the committed show content exactly.
add_test(NAME assetgen_reproduces_data
  COMMAND ${CMAKE_COMMAND}
    -DASSETGEN=$<TARGET_FILE:assetgen>
    -DOUT=${CMAKE_BINARY_DIR}/assetgen-check
    -DDATA=${CMAKE_SOURCE_DIR}/data
    -P ${CMAKE_SOURCE_DIR}/tools/assetgen/CompareWithData.cmake)
set_tests_properties(assetgen_reproduces_data PROPERTIES TIMEOUT 300)

# The generator's parts and the committed files are checked by a gtest
# group that links the generator library and a Vorbis decoder.
pkg_check_modules(ASSETGEN_TEST_VORBISFILE REQUIRED IMPORTED_TARGET vorbisfile)
target_link_libraries(assetgen_test PRIVATE assetgenlib PkgConfig::ASSETGEN_TEST_VORBISFILE)
