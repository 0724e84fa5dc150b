#pragma once
// The program as a whole: its real services and its windows from the splash on.

namespace qb::app {

/** Runs Quillbox as its command line asks: prints the help or the version, refuses a wrong command line, tells
 *  today's reminders without a window, or shows the splash window first, then the main window; returns the exit
 *  status. */
int runQuillbox(int argc, char** argv);

} // namespace qb::app
