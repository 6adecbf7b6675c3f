// printf_check.h - QZ_PRINTF_CHECK(formatArg, firstArg): has the compiler check the arguments of a
// printf-style function against its format string.
//
//     void setRenderError(const char* format, ...) QZ_PRINTF_CHECK(1, 2);
//
// MinGW's GCC reads a plain "printf" archetype as Microsoft's format, while the show prints through
// the C99 one there (__USE_MINGW_ANSI_STDIO), so MinGW gets "gnu_printf", which clang lacks.
#pragma once

#if defined(__MINGW32__)
#define QZ_PRINTF_CHECK(formatArg, firstArg) __attribute__((format(gnu_printf, formatArg, firstArg)))
#else
#define QZ_PRINTF_CHECK(formatArg, firstArg) __attribute__((format(printf, formatArg, firstArg)))
#endif
