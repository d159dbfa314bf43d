#pragma once

/// @file
/// The export attribute of libcommon, and the refusal of fast-math.
///
/// Results are pinned to the last bit, including the arithmetic that is inline
/// in the headers and so compiled with the consumer's flags. The package
/// passes -ffp-contract=off to its consumers (the CMake targets and the
/// pkg-config file); the value-changing optimisations that announce
/// themselves are refused here. (-ffp-contract=fast and -fassociative-math on
/// their own define nothing a header could test.)
#if defined(__FAST_MATH__) || (defined(__FINITE_MATH_ONLY__) && __FINITE_MATH_ONLY__) ||           \
    defined(__ASSOCIATIVE_MATH__) || defined(__RECIPROCAL_MATH__) || defined(__NO_SIGNED_ZEROS__)
#error "orrery: exact results need fast-math off (-ffast-math, -Ofast and their parts)"
#endif

// Symbols of libcommon are hidden unless marked with this macro.
#if defined(ORRERY_COMMON_BUILDING)
#define ORRERY_COMMON_API __attribute__((visibility("default")))
#else
#define ORRERY_COMMON_API
#endif
