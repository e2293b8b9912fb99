#pragma once

// True in a build under AddressSanitizer, whose allocator stands in for the
// system's: memory tricks meant for the system allocator stay off there.
namespace platform {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool underAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool underAddressSanitizer = true;
#else
constexpr bool underAddressSanitizer = false;
#endif
#else
constexpr bool underAddressSanitizer = false;
#endif

} // namespace platform
