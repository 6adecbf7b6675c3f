# qz001-tool contact-sheet: small frames of the whole show in a labelled grid (pixel font and
# canvas from the image generator).
target_sources(qz001-tool PRIVATE ${CMAKE_CURRENT_LIST_DIR}/qz001-tool/cmd_contact_sheet.cpp)
target_link_libraries(qz001-tool PRIVATE qz_show qz_imagegen)
