# qz001-tool render: one show frame rendered headless into a PNG file.
target_sources(qz001-tool PRIVATE ${CMAKE_CURRENT_LIST_DIR}/qz001-tool/cmd_render.cpp)
target_link_libraries(qz001-tool PRIVATE qz_show)
# qz001-tool capture: the show with its music as an MP4 (through the ffmpeg program) or PNG frames.
target_sources(qz001-tool PRIVATE ${CMAKE_CURRENT_LIST_DIR}/qz001-tool/cmd_capture.cpp
                                  ${CMAKE_CURRENT_LIST_DIR}/qz001-tool/mp4_check.cpp)
