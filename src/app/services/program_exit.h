#pragma once
// Ending the program at once, through one injectable path so tests can observe it.

namespace qb::app {

/** Ends the program at once; a handler that calls it returns straight away. */
class ProgramExit {
public:
    virtual ~ProgramExit() = default;
    /** Ends the program: no further events, no further files. */
    virtual void endNow() = 0;
};

/** The real exit: takes every window off the screen and leaves the process, waiting for no thread. */
class ProcessExit final : public ProgramExit {
public:
    void endNow() override;
};

} // namespace qb::app
