#pragma once

/// @file
/// The export attributes of libmath. Also refuses fast-math, which would
/// change the inline arithmetic.
#include "common/Export.h"

// Symbols of libmath are hidden unless marked with this macro.
#if defined(ORRERY_MATH_BUILDING)
#define ORRERY_MATH_API __attribute__((visibility("default")))
// A private member of an exported class that only the library calls stays
// out of the dynamic symbol table.
#define ORRERY_MATH_LOCAL __attribute__((visibility("hidden")))
#else
#define ORRERY_MATH_API
#define ORRERY_MATH_LOCAL
#endif
