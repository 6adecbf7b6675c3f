# The music generator: composes the show's soundtrack and writes music/ZB_PALEWIRE.xm.
# `cmake --build BUILD --target music` regenerates the committed module; the tests check that
# the generator still produces exactly the committed bytes.
add_library(qz_music_gen STATIC
  music-gen/xm.cpp
  music-gen/synth.cpp
  music-gen/instruments.cpp
  music-gen/score.cpp
  music-gen/song.cpp
  music-gen/song_body.cpp)
target_include_directories(qz_music_gen PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/music-gen)

add_executable(qz-music-gen music-gen/main.cpp)
target_link_libraries(qz-music-gen PRIVATE qz_music_gen qz_base)

add_custom_target(music
  COMMAND qz-music-gen ${PROJECT_SOURCE_DIR}/music/ZB_PALEWIRE.xm
  DEPENDS qz-music-gen
  COMMENT "Composing music/ZB_PALEWIRE.xm"
  VERBATIM)
