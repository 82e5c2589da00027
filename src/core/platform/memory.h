#pragma once
// Memory the C library's allocator holds for the program. An upgrade batch
// reads its firmware image into one block of megabytes and frees many
// smaller blocks from many threads (the transfers' frames, the sessions'
// buffers). By default the allocator takes a large block from its heaps
// once it has seen one freed, and keeps freed pages for reuse spread over
// its per-thread arenas: a long session of batches then held more after
// each one, although nothing was in use.

// Large blocks (256 KiB and more: the firmware image, a transfer's frame
// buffers) are mapped on their own and go back to the system the moment
// they are freed. Safe to call more than once.
void KeepLargeBlocksSeparate();

// Every thread allocates from one of two heaps, not from a heap of its own:
// the dozens of threads of a batch (logins, transfers, sessions) otherwise
// leave a heap each, every one holding a few pages that its last blocks
// keep, long after the threads have ended. Call it at the start, before
// other threads run.
void ShareAllocatorHeaps();

// Gives the free pages the allocator holds back to the system. Costs a walk
// over the allocator's free lists: for the end of a batch, not a loop.
void ReleaseFreeMemory();
