# The scene graphs and keyframe tracks, and the director that evaluates them.
file(GLOB qz_scene_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/scene*.cpp)
target_sources(qz_data PRIVATE ${qz_scene_sources} ${CMAKE_CURRENT_LIST_DIR}/tracks.cpp)
target_link_libraries(qz_data PUBLIC qz_director)
