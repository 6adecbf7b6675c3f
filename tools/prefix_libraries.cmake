# prefix_libraries.cmake - for the cross builds (web/libraries.cmake, windows/libraries.cmake): the
# imported targets the folders link (SDL2::SDL2, glm::glm, ...) made from static libraries under the
# prefixes that QZ_PREFIXES lists (the cache of web/deps.sh or windows/deps.sh). Sets
# QZ_CROSS, which makes the folders skip their own find_package and pkg-config lookups.
#
#     qz_prefix_library(Freetype::Freetype libfreetype.a qz_zlib)   # target, file, what it links
set(QZ_CROSS ON)

set(QZ_PREFIX_INCLUDES "")
foreach(prefix ${QZ_PREFIXES})
  list(APPEND QZ_PREFIX_INCLUDES ${prefix}/include)
  foreach(sub freetype2 kissfft SDL2 imgui)
    if(EXISTS ${prefix}/include/${sub})
      list(APPEND QZ_PREFIX_INCLUDES ${prefix}/include/${sub})
    endif()
  endforeach()
endforeach()

function(qz_prefix_library target file)
  find_file(qz_lib_${file} ${file} PATHS ${QZ_PREFIXES} PATH_SUFFIXES lib NO_DEFAULT_PATH
            NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  add_library(${target} STATIC IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES IMPORTED_LOCATION ${qz_lib_${file}})
  target_include_directories(${target} INTERFACE ${QZ_PREFIX_INCLUDES})
  target_link_libraries(${target} INTERFACE ${ARGN})
endfunction()

# A library of headers only (glm, CLI11), or one the platform brings.
function(qz_interface_library target)
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  target_include_directories(${target} INTERFACE ${QZ_PREFIX_INCLUDES})
  target_link_libraries(${target} INTERFACE ${ARGN})
endfunction()
