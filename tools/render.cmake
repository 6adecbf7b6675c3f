# qz001-tool render / capture: show frames rendered headless into PNG files.
target_sources(qz001-tool PRIVATE ${CMAKE_CURRENT_LIST_DIR}/qz001-tool/cmd_render.cpp)
target_link_libraries(qz001-tool PRIVATE qz_show)
