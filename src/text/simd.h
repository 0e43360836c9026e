// Which vector instructions the searches over bytes use. Every search has a
// plain loop as well; a build configured with -DQM_PLAIN=ON (the sanitizer
// build) uses the plain loops alone, so that the same tests run over both.
#pragma once

#if defined(__SSE2__) && !defined(QM_PLAIN)
#define QM_SSE2 1
#include <emmintrin.h>
#endif

// AVX2 is asked of the processor at run time (GCC and clang, 64-bit x86).
#if defined(QM_SSE2) && defined(__GNUC__) && defined(__x86_64__) && !defined(_WIN32)
#define QM_AVX2 1
#include <immintrin.h>
#endif
