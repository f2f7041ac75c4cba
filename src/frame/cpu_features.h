// Run-time choice of instruction sets: the program is built for baseline x86-64 (SSE2) and
// switches to faster code when the processor (and the operating system) supports it.
#pragma once

#if defined(__x86_64__) || defined(__i386__)
#define VARDELO_X86 1
#define VARDELO_TARGET_AVX2 __attribute__((target("avx2")))
#else
#define VARDELO_X86 0
#define VARDELO_TARGET_AVX2
#endif

// True when AVX2 can be used (CPU flag and OS-saved YMM state, as the compiler's check tests).
bool CpuHasAvx2();

// Marks the plain reference loops: they stay one pixel at a time (no auto-vectorisation), so
// that they are what they claim to be in tests and benchmarks.
#if defined(__GNUC__) && !defined(__clang__)
#define VARDELO_PLAIN __attribute__((optimize("no-tree-vectorize")))
#else
#define VARDELO_PLAIN
#endif
