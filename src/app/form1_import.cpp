#include "app/form1.h"

namespace qb::app {

void Form1::Command9_Click() {}

} // namespace qb::app
