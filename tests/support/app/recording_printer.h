#pragma once
// A printer for tests: every call is written down in order as a short line of text.

#include <algorithm>
#include <string>
#include <vector>

#include "app/services/printer.h"

namespace qb::test {

/** Records "font name Arial", "font size 12", "font bold true", "font italic false", "font underline false",
 *  "font strikeout false", "color #000000" for a font taken; "first line 99 100", "print <text>" for each item and
 *  "end" for a document. */
class RecordingPrinter final : public app::Printer {
public:
    /** The calls so far, in order. */
    const std::vector<std::string>& calls() const { return calls_; }
    /** The texts printed, in order. */
    std::vector<std::string> printed() const;
    /** Makes the parts of a font whose record starts with prefix (e.g. "font size") refuse. */
    void refuse(const std::string& prefix) { refused_.push_back(prefix); }
    /** What printing a document reports. */
    void setOutcome(app::PrintResult outcome) { outcome_ = std::move(outcome); }

    app::FontChoice font() const override { return font_; }
    bool setFont(const app::FontChoice& choice) override;
    app::PrintResult print(const print::PrintedItems& items, print::TwipsPoint firstLine) override;

private:
    /** Records a part of a font and, unless refused, takes it into the printer's font. */
    template <typename T> bool keep(const std::string& call, T& setting, const T& value) {
        calls_.push_back(call);
        if (std::any_of(refused_.begin(), refused_.end(),
                        [&](const std::string& prefix) { return call.starts_with(prefix); }))
            return false;
        setting = value;
        return true;
    }

    std::vector<std::string> calls_;
    std::vector<std::string> refused_;
    app::PrintResult outcome_;
    app::FontChoice font_ = app::initialPrinterFont();
};

} // namespace qb::test
