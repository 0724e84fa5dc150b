#pragma once
// The program as a whole: its real services and its windows from the splash on.

namespace qb::app {

/** Runs Quillbox: the splash window first, then the main window; returns the exit code. */
int runQuillbox(int argc, char** argv);

} // namespace qb::app
