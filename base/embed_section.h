// embed_section.h - the assembler lines around files embedded with .incbin (the images, the font),
// in the object format being built: ELF on the desktop, WebAssembly in the browser build.
//
//     asm(QZ_RODATA_SECTION("qz_images") "qzImage00: .incbin \"00.png\"\n.size qzImage00, 123\n"
//     QZ_END_SECTION);
#pragma once

#if defined(__wasm__)
#define QZ_RODATA_SECTION(name) ".section .rodata." name ",\"\",@\n"
#define QZ_END_SECTION ".text\n"
#else
#define QZ_RODATA_SECTION(name) ".section .rodata." name ",\"a\",@progbits\n"
#define QZ_END_SECTION ".previous\n"
#endif
