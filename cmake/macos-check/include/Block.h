// Block.h of macOS (the blocks runtime), which GNUstep's headers include when compiled for a Mac.
// Written from Apple's documentation; only the Linux compile check of the macOS build reads it.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif
void *_Block_copy(const void *block);
void _Block_release(const void *block);
#ifdef __cplusplus
}
#endif

#define Block_copy(...) ((__typeof(__VA_ARGS__))_Block_copy((const void *)(__VA_ARGS__)))
#define Block_release(...) _Block_release((const void *)(__VA_ARGS__))
