# scene_list.cmake - reads the show's scene list (data/scene_list.h) for the build: the number of
# scenes, which every folder compiles as kSceneCount (director/director_types.h: QZ_SCENE_COUNT), and
# the scene files data/CMakeLists.txt compiles. Included once by the root CMakeLists.txt, before the
# folders. A line `X(5, drop_two)` names data/scene_05_drop_two.cpp; a scene file the list leaves out,
# or a line whose file is missing, stops the configuration with the file's name.
#
# Sets: qz_scene_count, qz_scene_files (file names in play order, relative to data/).

set(qz_scene_list "${CMAKE_CURRENT_LIST_DIR}/scene_list.h")
# The lines that start with X( (their continuation backslashes dropped first: in a CMake list a
# backslash would join an entry to the next).
file(READ "${qz_scene_list}" qz_scene_text)
string(REPLACE "\\" "" qz_scene_text "${qz_scene_text}")
string(REGEX MATCHALL "\n[ \t]*X\\([^\n]*" qz_scene_lines "${qz_scene_text}")
set(qz_scene_files "")
set(qz_scene_count 0)
foreach(line IN LISTS qz_scene_lines)
  string(STRIP "${line}" line)
  if(NOT line MATCHES "^X\\(([0-9]+), *([a-z0-9_]+)\\)$")
    message(FATAL_ERROR "${qz_scene_list}: `${line}` is not a scene's line: X(number, name) and a backslash")
  endif()
  set(number "${CMAKE_MATCH_1}")
  set(name "${CMAKE_MATCH_2}")
  if(NOT number EQUAL qz_scene_count)
    message(FATAL_ERROR "${qz_scene_list}: `${line}` should be scene ${qz_scene_count} (the scenes run 0, 1, 2... in order)")
  endif()
  if(number LESS 10)
    set(number "0${number}")
  endif()
  set(file "scene_${number}_${name}.cpp")
  if(NOT EXISTS "${CMAKE_CURRENT_LIST_DIR}/${file}")
    message(FATAL_ERROR "${qz_scene_list} lists scene ${qz_scene_count} (`${line}`) but data/${file} does not exist")
  endif()
  list(APPEND qz_scene_files "${file}")
  math(EXPR qz_scene_count "${qz_scene_count} + 1")
endforeach()
if(qz_scene_count EQUAL 0)
  message(FATAL_ERROR "${qz_scene_list} lists no scene (X(number, name) lines in QZ_SCENES)")
endif()

# A scene file the list leaves out would build into nothing: name it. A new file in data/ is seen at the
# next build (CONFIGURE_DEPENDS), as is a change of the list.
file(GLOB qz_scene_found CONFIGURE_DEPENDS RELATIVE "${CMAKE_CURRENT_LIST_DIR}"
  "${CMAKE_CURRENT_LIST_DIR}/scene_[0-9][0-9]_*.cpp")
foreach(file IN LISTS qz_scene_found)
  if(NOT file IN_LIST qz_scene_files)
    message(FATAL_ERROR "data/${file} is not in ${qz_scene_list}: add its line (docs/recipes.md#add-a-scene)")
  endif()
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${qz_scene_list}")
add_compile_definitions(QZ_SCENE_COUNT=${qz_scene_count})
