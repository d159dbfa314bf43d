#include "math/Referent.h"

namespace orrery {

Referent::~Referent() = default;

void Referent::orphaned() { delete this; }

} // namespace orrery
