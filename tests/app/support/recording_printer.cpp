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
    return keep("font name " + name.toStdString(), font_.name, name);
}
bool RecordingPrinter::setFontSize(double points) {
    return keep("font size " + numberText(points), font_.pointSize, points);
}
bool RecordingPrinter::setFontBold(bool on) {
    return keep("font bold " + onOff(on), font_.bold, on);
}
bool RecordingPrinter::setFontItalic(bool on) {
    return keep("font italic " + onOff(on), font_.italic, on);
}
bool RecordingPrinter::setFontUnderline(bool on) {
    return keep("font underline " + onOff(on), font_.underline, on);
}
bool RecordingPrinter::setFontStrikeout(bool on) {
    return keep("font strikeout " + onOff(on), font_.strikeout, on);
}
bool RecordingPrinter::setTextColor(const QColor& color) {
    return keep("color " + color.name().toStdString(), font_.color, color);
}

app::FontChoice RecordingPrinter::currentFont() const {
    return font_;
}

void RecordingPrinter::printLine(const QString& text) {
    calls_.push_back("print " + text.toStdString());
}

app::PrintOutcome RecordingPrinter::endDocument() {
    calls_.push_back("end");
    return outcome_;
}

} // namespace qb::test
