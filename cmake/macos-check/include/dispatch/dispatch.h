// The part of libdispatch that the macOS sources use, written from Apple's Dispatch
// reference. Only the Linux compile check of the macOS sources reads this file.
#pragma once

typedef struct dispatch_queue_s *dispatch_queue_t;

#ifdef __cplusplus
extern "C" {
#endif

// A macro over the main queue object on macOS; a function here is the same to a caller.
dispatch_queue_t dispatch_get_main_queue(void);

#ifdef __cplusplus
}
#endif
