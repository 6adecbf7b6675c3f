# Renderer: start-up cost (device, shader library, GPU meshes, textures) and one rendered frame of
# each scene at 1280x720, headless on SDL's offscreen driver.
qz_add_bench(qz_bench_render SOURCES ${CMAKE_CURRENT_LIST_DIR}/render_bench.cpp LIBS qz_show)
