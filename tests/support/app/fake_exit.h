#pragma once
// The exit path for tests: it only counts; the test checks that the handler returned at once.

#include "app/services/program_exit.h"

namespace qb::test {

/** Counts the requests to end the program. */
class FakeExit final : public app::ProgramExit {
public:
    void endNow() override { ++calls_; }
    /** How many times the program was told to end. */
    int calls() const { return calls_; }
    bool ended() const { return calls_ > 0; }

private:
    int calls_ = 0;
};

} // namespace qb::test
