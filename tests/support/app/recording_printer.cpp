#include "recording_printer.h"

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

bool RecordingPrinter::setFont(const app::FontChoice& choice) {
    return keep("font name " + choice.name.toStdString(), font_.name, choice.name) &&
           keep("font size " + numberText(choice.pointSize), font_.pointSize, choice.pointSize) &&
           keep("font bold " + onOff(choice.bold), font_.bold, choice.bold) &&
           keep("font italic " + onOff(choice.italic), font_.italic, choice.italic) &&
           keep("font underline " + onOff(choice.underline), font_.underline, choice.underline) &&
           keep("font strikeout " + onOff(choice.strikeout), font_.strikeout, choice.strikeout) &&
           keep("color " + choice.color.name().toStdString(), font_.color, choice.color);
}

app::PrintResult RecordingPrinter::print(const print::PrintedItems& items, print::TwipsPoint firstLine) {
    calls_.push_back("first line " + numberText(firstLine.x) + " " + numberText(firstLine.y));
    for (const std::string& item : items)
        calls_.push_back("print " + item);
    calls_.push_back("end");
    return outcome_;
}

} // namespace qb::test
