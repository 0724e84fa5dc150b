// Reformatting a full 30000-character record text must stay linear: its time is reported as a ratio against
// copying the same text character by character, measured in the same run.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "print/reformat.h"

namespace {

using Clock = std::chrono::steady_clock;

// The best of several timings of fn, in nanoseconds per call.
template <typename Fn> double bestNanos(Fn&& fn, int calls) {
    double best = 1e300;
    for (int round = 0; round < 7; ++round) {
        const auto start = Clock::now();
        for (int i = 0; i < calls; ++i)
            fn();
        const auto took = std::chrono::duration<double, std::nano>(Clock::now() - start).count() / calls;
        best = std::min(best, took);
    }
    return best;
}

std::string textOfLength(std::size_t length) {
    const std::string words = "Quillbox keeps short notes with reminders; lines run on until reformatted. ";
    std::string text;
    while (text.size() < length)
        text += words;
    text.resize(length);
    return text;
}

volatile std::size_t sink;

} // namespace

int main() {
    std::printf("reformat benchmark (ratio = reformat time / plain copy time of the same text)\n");
    bool pass = true;
    std::vector<double> ratios;
    for (std::size_t length : {3000u, 30000u}) {
        const std::string text = textOfLength(length);
        const double copy = bestNanos(
            [&] {
                std::string out;
                out.reserve(text.size());
                for (char c : text)
                    out.push_back(c);
                sink = out.size();
            },
            200);
        const double reformat = bestNanos([&] { sink = qb::print::reformatText(text).size(); }, 200);
        const double ratio = reformat / copy;
        ratios.push_back(reformat / static_cast<double>(length));
        std::printf("  %6zu characters: copy %.1f us, reformat %.1f us, ratio %.2f\n", length, copy / 1000,
                    reformat / 1000, ratio);
        pass = pass && ratio <= 4.0;
    }
    // Linear: the time per character of the long text is close to that of the short one.
    const double growth = ratios[1] / ratios[0];
    std::printf("  time per character, 30000 vs 3000: %.2f (linear is about 1, quadratic about 10)\n", growth);
    pass = pass && growth <= 2.0;
    std::printf("reformat: %s (targets: ratio to copy <= 4, per-character growth <= 2)\n", pass ? "PASS" : "FAIL");
    return pass ? 0 : 1;
}
