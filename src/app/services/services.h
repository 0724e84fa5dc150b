#pragma once
// What the windows need from the world: the drives, the clock, dialogs, the printer and the exit path.

namespace qb::platform {
class Clock;
class DriveMap;
} // namespace qb::platform

namespace qb::app {

class Dialogs;
class Printer;
class ProgramExit;

/** The program's connections to the world, handed to every window; tests hand in fakes. */
struct Services {
    platform::DriveMap& drives;
    platform::Clock& clock;
    Dialogs& dialogs;
    Printer& printer;
    ProgramExit& exit;
};

} // namespace qb::app
