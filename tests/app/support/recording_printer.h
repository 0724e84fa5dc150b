#pragma once
// A printer for tests: every call is written down in order as a short line of text.

#include <string>
#include <vector>

#include "app/services/printer.h"

namespace qb::test {

/** Records "drawing 99 100", "quality high", "font name Arial", "font size 12", "font bold true",
 *  "font italic false", "font underline false", "font strikeout false", "color #000000", "print <text>", "end". */
class RecordingPrinter final : public app::Printer {
public:
    /** The calls so far, in order. */
    const std::vector<std::string>& calls() const { return calls_; }
    /** The texts printed, in order. */
    std::vector<std::string> printed() const;
    /** Makes the font and colour setters whose record starts with prefix (e.g. "font size") refuse. */
    void refuse(const std::string& prefix) { refused_.push_back(prefix); }
    /** What ending the document reports. */
    void setOutcome(app::PrintOutcome outcome) { outcome_ = std::move(outcome); }

    void setDrawingSettings(float first, float second) override;
    void setHighQuality() override;
    bool setFontName(const QString& name) override;
    bool setFontSize(double points) override;
    bool setFontBold(bool on) override;
    bool setFontItalic(bool on) override;
    bool setFontUnderline(bool on) override;
    bool setFontStrikeout(bool on) override;
    bool setTextColor(const QColor& color) override;
    app::FontChoice currentFont() const override;
    void printLine(const QString& text) override;
    app::PrintOutcome endDocument() override;

private:
    /** Records a setter's call; false when the test made it refuse. */
    bool recordSetting(const std::string& call);
    /** Records a setter's call and, unless refused, takes the value into the printer's font. */
    template <typename T> bool keep(const std::string& call, T& setting, const T& value) {
        if (!recordSetting(call))
            return false;
        setting = value;
        return true;
    }

    std::vector<std::string> calls_;
    std::vector<std::string> refused_;
    app::PrintOutcome outcome_;
    app::FontChoice font_ = app::initialPrinterFont();
};

} // namespace qb::test
