# Director time per frame: each scene of the show, and a 1024-instance draw graph.
qz_add_bench(qz_bench_director
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/director_bench.cpp
    ${PROJECT_SOURCE_DIR}/data/scenes.cpp
    ${PROJECT_SOURCE_DIR}/data/tracks.cpp
  LIBS qz_director)
