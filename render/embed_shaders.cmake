# Writes OUT: a C++ file defining `shaderDeclarations` and `shaderBodies`, the GLSL library as two
# zero-terminated strings, and `shaderFileNames`, the files they were joined from in order (the edit
# mode reads them again from the source tree). Called at build time by render/CMakeLists.txt.
function(append_as_bytes var file)
  file(READ ${file} hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
  set(${var} "${${var}}${bytes}\n" PARENT_SCOPE)
endfunction()

set(decl "")
append_as_bytes(decl ${DECLARATIONS})
set(bodies "")
get_filename_component(name ${DECLARATIONS} NAME)
set(names "\"${name}\", ")
foreach(f ${BODIES})
  append_as_bytes(bodies ${f})
  get_filename_component(name ${f} NAME)
  string(APPEND names "\"${name}\", ")
endforeach()

file(WRITE ${OUT}.tmp
  "// Generated from render/shaders/*.glsl by render/embed_shaders.cmake; do not edit.\n"
  "extern const char shaderDeclarations[] = {\n${decl}0};\n"
  "extern const char shaderBodies[] = {\n${bodies}0};\n"
  "extern const char* const shaderFileNames[] = {${names}nullptr};\n")
file(RENAME ${OUT}.tmp ${OUT})
