# Mesh programs: the library against the literal reference interpreter of the tests. The reference
# library is defined by tests/mesh; a build without tests defines it here.
if(NOT TARGET qz_mesh_reference)
  add_library(qz_mesh_reference STATIC ${PROJECT_SOURCE_DIR}/tests/mesh/reference_mesh.cpp)
  target_include_directories(qz_mesh_reference PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(qz_mesh_reference PUBLIC qz_mesh)
endif()
qz_add_bench(qz_bench_mesh SOURCES mesh_bench.cpp LIBS qz_mesh qz_mesh_reference qz_data)
