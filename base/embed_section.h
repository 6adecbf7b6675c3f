// embed_section.h - the assembler lines around files embedded with .incbin (the images, the font),
// in the object format being built: ELF on the desktop, WebAssembly in the browser build, COFF on
// Windows.
//
//     asm(QZ_RODATA_SECTION("qz_images") "qzImage00: .incbin \"00.png\"\n"
//         QZ_SYMBOL_SIZE("qzImage00", "123") QZ_END_SECTION);
#pragma once

#if defined(__wasm__)
#define QZ_RODATA_SECTION(name) ".section .rodata." name ",\"\",@\n"
#define QZ_END_SECTION ".text\n"
#define QZ_SYMBOL_SIZE(symbol, bytes) ".size " symbol ", " bytes "\n"
#elif defined(_WIN32)
#define QZ_RODATA_SECTION(name) ".section .rdata$" name ",\"dr\"\n"
#define QZ_END_SECTION ".text\n"
#define QZ_SYMBOL_SIZE(symbol, bytes) "" // COFF symbols carry no size
#else
#define QZ_RODATA_SECTION(name) ".section .rodata." name ",\"a\",@progbits\n"
#define QZ_END_SECTION ".previous\n"
#define QZ_SYMBOL_SIZE(symbol, bytes) ".size " symbol ", " bytes "\n"
#endif
