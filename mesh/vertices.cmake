# The CPU half of the GPU mesh build (68-byte vertices); the upload lives in render/.
target_sources(qz_mesh PRIVATE ${CMAKE_CURRENT_LIST_DIR}/mesh_vertices.cpp)
