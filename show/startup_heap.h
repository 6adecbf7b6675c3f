// startup_heap.h - the process heap set up for start-up's large allocations.
//
//     prepareStartupHeap();   // once, first thing in the process, before the window and the driver
//
// Start-up allocates about 150 MiB in blocks of a few MiB: the OpenGL driver's storage of every
// texture and render target (which a software driver also zeroes), the decoded images. Fresh memory
// costs a page fault per 4 KiB page the first time it is written, and on this kind of machine those
// faults cost more than the writes. So on Linux with glibc the large blocks are kept on the main
// heap instead of separate mappings, and the heap's first kStartupHeapBytes are marked for huge
// pages: a fault then brings in 2 MiB. Where the kernel has no transparent huge pages nothing
// changes but where the blocks lie. Elsewhere it does nothing.
#pragma once

void prepareStartupHeap();
