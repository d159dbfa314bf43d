#pragma once

// Symbols of libmath are hidden unless marked with this macro.
#if defined(ORRERY_MATH_BUILDING)
#define ORRERY_MATH_API __attribute__((visibility("default")))
#else
#define ORRERY_MATH_API
#endif
