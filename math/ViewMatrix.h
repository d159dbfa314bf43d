#pragma once

/// @file
/// View matrices and 4x4 inversion.
///
/// A view matrix maps world points (row vectors) to camera space, where the
/// camera looks along -z with x to the right and y up. Its rotation part holds
/// the camera's right, up and backward axes as columns 0, 1, 2; row 3 is the
/// translation. The members that build and read view matrices are declared on
/// Mat4d (math/Vector.h): buildLookAt, getNormalizedViewParams, getRoll and
/// setRoll.

#include "math/Export.h"
#include "math/Vector.h"

namespace orrery::math {

/// Inverts a in place by Gauss-Jordan elimination with full pivoting. Among
/// pivot candidates of equal magnitude the later one (in row, then column
/// order) wins. Returns false, with a left partly reduced, when a column is
/// chosen twice or a pivot is exactly 0. Finiteness is not checked: a matrix
/// whose elimination overflows (elements near the ends of the double range)
/// can yield infinite or NaN elements with a true result, even when it is
/// singular. Every 4x4 inversion of the library goes through here.
ORRERY_MATH_API bool invertFullPivot(Mat4d &a);

} // namespace orrery::math
