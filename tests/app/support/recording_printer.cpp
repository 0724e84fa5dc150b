#include "recording_printer.h"

#include <algorithm>

namespace qb::test {

namespace {

std::string onOff(bool on) {
    return on ? "true" : "false";
}

std::string numberText(double value) {
    return QString::number(value).toStdString();
}

} // namespace

std::vector<std::string> RecordingPrinter::printed() const {
    std::vector<std::string> texts;
    const std::string prefix = "print ";
    for (const std::string& call : calls_)
        if (call.starts_with(prefix))
            texts.push_back(call.substr(prefix.size()));
    return texts;
}

bool RecordingPrinter::recordSetting(const std::string& call) {
    calls_.push_back(call);
    return std::none_of(refused_.begin(), refused_.end(),
                        [&](const std::string& prefix) { return call.starts_with(prefix); });
}

void RecordingPrinter::setDrawingSettings(float first, float second) {
    calls_.push_back("drawing " + numberText(first) + " " + numberText(second));
}

void RecordingPrinter::setHighQuality() {
    calls_.push_back("quality high");
}

bool RecordingPrinter::setFontName(const QString& name) {
    return recordSetting("font name " + name.toStdString());
}
bool RecordingPrinter::setFontSize(double points) {
    return recordSetting("font size " + numberText(points));
}
bool RecordingPrinter::setFontBold(bool on) {
    return recordSetting("font bold " + onOff(on));
}
bool RecordingPrinter::setFontItalic(bool on) {
    return recordSetting("font italic " + onOff(on));
}
bool RecordingPrinter::setFontUnderline(bool on) {
    return recordSetting("font underline " + onOff(on));
}
bool RecordingPrinter::setFontStrikeout(bool on) {
    return recordSetting("font strikeout " + onOff(on));
}
bool RecordingPrinter::setTextColor(const QColor& color) {
    return recordSetting("color " + color.name().toStdString());
}

void RecordingPrinter::printLine(const QString& text) {
    calls_.push_back("print " + text.toStdString());
}

app::PrintOutcome RecordingPrinter::endDocument() {
    calls_.push_back("end");
    return outcome_;
}

} // namespace qb::test
