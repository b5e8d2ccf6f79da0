// Symbol visibility for the Calvoro library.
//
// CALVORO_API marks what the library exports. The build defines CALVORO_BUILDING while it
// compiles the library itself, and CALVORO_STATIC when the library is static; users of a
// shared build need to define nothing.
#pragma once

#if defined(CALVORO_STATIC)
#define CALVORO_API
#elif defined(_WIN32)
#if defined(CALVORO_BUILDING)
#define CALVORO_API __declspec(dllexport)
#else
#define CALVORO_API __declspec(dllimport)
#endif
#else
#define CALVORO_API __attribute__((visibility("default")))
#endif
