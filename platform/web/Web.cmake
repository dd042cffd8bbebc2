# The browser build (emcmake; scripts/build-web.sh): the libraries come from
# DEMO_WEB_PREFIX (scripts/web-prefix.sh), the GL that WebGL lacks from the
# layer in platform/web, and the player's entry point is the page's own.
set(DEMO_WEB_PREFIX "" CACHE PATH "SDL2, SDL2_mixer, libpng and zlib built for emscripten")
# Its mixer decodes no FLAC, as on Windows.
list(REMOVE_ITEM CORE_SOURCES ${CMAKE_SOURCE_DIR}/platform/FlacCheck.cpp)
set(SYSTEM_SOURCES ${CMAKE_SOURCE_DIR}/platform/windows/FlacCheck.cpp ${CMAKE_SOURCE_DIR}/platform/web/WebGL.cpp)
set_source_files_properties(${CMAKE_SOURCE_DIR}/platform/web/WebGL.cpp PROPERTIES COMPILE_DEFINITIONS DEMO_WEB_LAYER)
add_compile_options("$<$<COMPILE_LANGUAGE:CXX>:SHELL:-include ${CMAKE_SOURCE_DIR}/platform/web/WebGL.h>")
include_directories(SYSTEM ${DEMO_WEB_PREFIX}/include/SDL2)
set(ZLIB_LIBRARY_RELEASE ${DEMO_WEB_PREFIX}/lib/libz.a)
set(ZLIB_INCLUDE_DIR ${DEMO_WEB_PREFIX}/include)
set(PNG_LIBRARY_RELEASE ${DEMO_WEB_PREFIX}/lib/libpng.a)
set(PNG_PNG_INCLUDE_DIR ${DEMO_WEB_PREFIX}/include)
# The mixer by path: -lSDL2_mixer would be taken for emscripten's own port.
set(SYSTEM_LIBRARIES ${DEMO_WEB_PREFIX}/lib/libSDL2_mixer.a ${DEMO_WEB_PREFIX}/lib/libSDL2.a)
add_library(OpenGL::GL INTERFACE IMPORTED)
add_library(OpenGL::GLU INTERFACE IMPORTED)
# SDL's audio calls two of emscripten's JavaScript helpers that only its own
# port would pull in.
set(DEMO_WEB_LINK_OPTIONS -sLEGACY_GL_EMULATION=1 -sALLOW_MEMORY_GROWTH=1 -sINVOKE_RUN=0
    "-sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${CMAKE_SOURCE_DIR}/platform/web/audio-helpers.json"
    "-sEXPORTED_RUNTIME_METHODS=[callMain,FS]" "SHELL:--preload-file ${CMAKE_SOURCE_DIR}/data@/data")
add_compile_options(-Wno-dollar-in-identifier-extension) # EM_ASM names its arguments $0, $1...
