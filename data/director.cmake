# The scene graphs and keyframe tracks, and the director that evaluates them.
target_sources(qz_data PRIVATE ${CMAKE_CURRENT_LIST_DIR}/scenes.cpp ${CMAKE_CURRENT_LIST_DIR}/tracks.cpp)
target_link_libraries(qz_data PUBLIC qz_director)
