#include "app/form1.h"

namespace qb::app {

void Form1::Command1_Click() {}
void Form1::runReminderCheck(const std::string&) {}

} // namespace qb::app
