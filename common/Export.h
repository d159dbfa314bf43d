#pragma once

// Symbols of libcommon are hidden unless marked with this macro.
#if defined(ORRERY_COMMON_BUILDING)
#define ORRERY_COMMON_API __attribute__((visibility("default")))
#else
#define ORRERY_COMMON_API
#endif
