qz_add_bench(qz_bench_mesh SOURCES mesh_bench.cpp LIBS qz_mesh qz_mesh_reference qz_data)
