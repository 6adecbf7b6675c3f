# The image generator: draws the show's 31 images (data/images/NN.png) and the contact sheet
# (docs/images.png) from code. It is built with the project but never run by the build: the PNGs
# are committed. Regenerate them with `cmake --build BUILD --target images`.
find_package(PNG REQUIRED)

add_library(qz_imagegen STATIC
  ${CMAKE_CURRENT_LIST_DIR}/image-gen/canvas.cpp
  ${CMAKE_CURRENT_LIST_DIR}/image-gen/pixel_font.cpp
  ${CMAKE_CURRENT_LIST_DIR}/image-gen/images.cpp
  ${CMAKE_CURRENT_LIST_DIR}/image-gen/images_patterns.cpp
  ${CMAKE_CURRENT_LIST_DIR}/image-gen/images_panels.cpp
  ${CMAKE_CURRENT_LIST_DIR}/image-gen/images_floppy.cpp
  ${CMAKE_CURRENT_LIST_DIR}/image-gen/images_marble.cpp
  ${CMAKE_CURRENT_LIST_DIR}/image-gen/contact_sheet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/image-gen/png_write.cpp)
target_include_directories(qz_imagegen PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(qz_imagegen PUBLIC PNG::PNG)

add_executable(qz-image-gen ${CMAKE_CURRENT_LIST_DIR}/image-gen/main.cpp)
target_link_libraries(qz-image-gen PRIVATE qz_imagegen qz_base)

add_custom_target(images
  COMMAND qz-image-gen ${PROJECT_SOURCE_DIR}/data/images --sheet ${PROJECT_SOURCE_DIR}/docs/images.png
  COMMENT "Drawing data/images/*.png and docs/images.png"
  VERBATIM)
