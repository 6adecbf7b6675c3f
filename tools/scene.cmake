# qz001-tool scene S --frame F [--json]: the director's frame outputs for one scene.
target_sources(qz001-tool PRIVATE ${CMAKE_CURRENT_LIST_DIR}/qz001-tool/cmd_scene.cpp)
target_link_libraries(qz001-tool PRIVATE qz_show)
