// text_lines.cpp - the 18 lines of solid 3D text: title, credits and greetings. Line i becomes text
// mesh i and GPU mesh i. The handles and the greeted groups are the show's own invention.
#include "data/text_lines.h"

const char* const textStrings[kTextLineCount] = {
    "And Many Groups!!!", //  0
    "Code Quillbit",      //  1  the coder
    "Credits",            //  2
    "Sodium Orchard",     //  3  greeted
    "END",                //  4
    "Ferrous Meadow",     //  5  greeted
    "Kiln Theory",        //  6  greeted
    "Velvet Abacus",      //  7  greeted
    "Nine Cupboards",     //  8  greeted
    "Music",              //  9
    "Mossgrain",          // 10  the musician
    "prod 01-pinwheel",   // 11
    "still",              // 12
    "Quartz Moth",        // 13  greeted
    "Thank you!!!",       // 14
    "Lowtide Relay",      // 15  greeted
    "Paper Tigerlily",    // 16  greeted
    "want to be like",    // 17
};
