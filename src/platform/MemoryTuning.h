#pragma once

// Keeps a long-running process's memory from creeping up. Every recognition task runs on a
// thread of its own, and glibc gives new threads new malloc arenas (up to eight per core) whose
// freed pages are rarely handed back: the app's resident memory grew with every dictation.
// Two arenas are plenty for the few threads that allocate.
void limitMallocArenas();
