#pragma once

// True when AddressSanitizer's allocator stands in for the C library's: its
// checks need the ordinary heap, and the C library's tuning does not reach it.
namespace platform {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool heapIsSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool heapIsSanitized = true;
#else
constexpr bool heapIsSanitized = false;
#endif
#else
constexpr bool heapIsSanitized = false;
#endif

} // namespace platform
