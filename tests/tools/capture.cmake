# qz001-tool capture, run as a program from the repository root (the music lies there).
qz_add_test_suite(qz_tests_capture SOURCES tool_capture_test.cpp LIBS)
add_dependencies(qz_tests_capture qz001-tool)
target_compile_definitions(qz_tests_capture PRIVATE QZ_TOOL_PATH="$<TARGET_FILE:qz001-tool>"
                                                    QZ_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
