#pragma once

// Keeps a long-running process's memory from creeping up. Every recognition task runs on a
// thread of its own, and glibc gives new threads new malloc arenas (up to eight per core) whose
// freed pages are rarely handed back: the app's resident memory grew with every dictation.
// Two arenas are plenty for the few threads that allocate.
void limitMallocArenas();

// Hands the pages of freed heap memory back to the system. A dictation allocates and frees
// tens of MB (audio, decoder search, the windows' drawing); what it frees lies scattered in the
// heap, where glibc keeps it, and the next dictation's allocations do not fit all of it: the
// app's resident memory rose by about 0.1 MB per dictation while the memory in use stayed flat.
// Takes a few milliseconds; call it when a burst of work is over.
void releaseFreedMemory();
