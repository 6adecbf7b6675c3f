# qz001-tool's `texts` and `text K --obj FILE`: the extruded text meshes.
target_sources(qz001-tool PRIVATE ${CMAKE_CURRENT_LIST_DIR}/qz001-tool/cmd_text.cpp)
target_link_libraries(qz001-tool PRIVATE qz_text)
