# Fast-forwarding is measured on the bundled show of the source tree.
if(TARGET fast_forward_bench)
  target_compile_definitions(fast_forward_bench PRIVATE DEMO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endif()
