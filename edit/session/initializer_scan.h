// initializer_scan.h - finds one element of a brace initializer in C++ source text, so that a tool can
// replace that element's text and keep every other byte of the file as it was.
//
//     TextSpan span = {};
//     char error[256];
//     if (findInitializerElement(text, "embeddedTracks", 3, span, error, sizeof error))
//         text.replace(span.begin, span.end - span.begin, newElement);
//
// The scan knows comments (// and /* */), string and character literals and nesting of (), [] and {};
// an element is what lies between two top-level commas of the initializer, without the comments and
// blanks around it. Nothing is evaluated: the text must spell the initializer out.
#pragma once

#include <cstddef>
#include <string>

struct TextSpan {
    size_t begin; // the element's first byte
    size_t end;   // one past its last
};

// The `index`-th (from 0) top-level element of the initializer `= { ... }` that follows the first
// declaration of `name` outside comments and literals. False, with the reason in `error`, when there is
// no such name, no initializer after it, fewer elements, or the braces do not close.
bool findInitializerElement(const std::string& text, const char* name, int index, TextSpan& span, char* error,
                            size_t size);

// How many top-level elements that initializer holds (-1, with `error`, where it cannot be read).
int countInitializerElements(const std::string& text, const char* name, char* error, size_t size);
