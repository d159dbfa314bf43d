#pragma once

#include "math/Export.h"
