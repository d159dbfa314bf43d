#pragma once

// The counting memory manager moved to tests/support/ (target
// orrery_test_support); this path stays while a benchmark still includes it.
#include "tests/support/CountingMemory.h"
