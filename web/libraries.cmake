# The browser build's libraries: the imported targets the folders link (SDL2::SDL2, glm::glm, ...),
# made from the emscripten builds of tools/web-deps.sh, whose prefixes QZ_WEB_PREFIXES lists. Included
# by the top-level CMakeLists.txt when building with emscripten; the folders then skip their own
# find_package and pkg-config lookups.
set(QZ_WEB ON)

function(qz_web_library target file)
  find_file(qz_lib_${file} ${file} PATHS ${QZ_WEB_PREFIXES} PATH_SUFFIXES lib NO_DEFAULT_PATH
            NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  add_library(${target} STATIC IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES IMPORTED_LOCATION ${qz_lib_${file}})
  target_include_directories(${target} INTERFACE ${QZ_WEB_INCLUDES})
  target_link_libraries(${target} INTERFACE ${ARGN})
endfunction()

set(QZ_WEB_INCLUDES "")
foreach(prefix ${QZ_WEB_PREFIXES})
  list(APPEND QZ_WEB_INCLUDES ${prefix}/include)
endforeach()
foreach(prefix ${QZ_WEB_PREFIXES})
  if(EXISTS ${prefix}/include/freetype2)
    list(APPEND QZ_WEB_INCLUDES ${prefix}/include/freetype2)
  endif()
  if(EXISTS ${prefix}/include/kissfft)
    list(APPEND QZ_WEB_INCLUDES ${prefix}/include/kissfft)
  endif()
  if(EXISTS ${prefix}/include/SDL2)
    list(APPEND QZ_WEB_INCLUDES ${prefix}/include/SDL2)
  endif()
endforeach()

qz_web_library(qz_web_zlib libz.a)
qz_web_library(PkgConfig::PNG libpng.a qz_web_zlib)
qz_web_library(Freetype::Freetype libfreetype.a qz_web_zlib)
qz_web_library(PkgConfig::QZ_GLU libGLU.a)
qz_web_library(kissfft::kissfft-float libkissfft-float.a)
qz_web_library(PkgConfig::OPENMPT libopenmpt.a)
qz_web_library(SDL2::SDL2 libSDL2.a)

add_library(glm::glm INTERFACE IMPORTED GLOBAL)
target_include_directories(glm::glm INTERFACE ${QZ_WEB_INCLUDES})
# The renderer's OpenGL loader: the ES 3.0 headers of WebGL2 (web/include/epoxy/gl.h).
add_library(PkgConfig::EPOXY INTERFACE IMPORTED GLOBAL)
target_include_directories(PkgConfig::EPOXY INTERFACE ${CMAKE_CURRENT_LIST_DIR}/include)
add_library(Threads::Threads INTERFACE IMPORTED GLOBAL)
