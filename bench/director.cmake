# Director time per frame: each scene of the show, and a 1024-instance draw graph.
file(GLOB bench_scene_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/scene*.cpp)
qz_add_bench(qz_bench_director
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/director_bench.cpp
    ${bench_scene_sources}
    ${PROJECT_SOURCE_DIR}/data/tracks.cpp
  LIBS qz_director)
