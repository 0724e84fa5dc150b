#include "screen_snapshot.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <sstream>

namespace qb::e2e {
namespace {

std::string stringOf(const QJsonObject& json, const char* key) {
    return json[QLatin1String(key)].toString().toStdString();
}

Control controlOf(const QJsonObject& json) {
    return Control{stringOf(json, "class"), stringOf(json, "name"), stringOf(json, "text"),
                   json["x"].toInt(),       json["y"].toInt(),      json["w"].toInt(),
                   json["h"].toInt(),       json["focus"].toBool(), json["down"].toBool()};
}

// A text on one line, with its line breaks shown as \n.
std::string oneLine(const std::string& text) {
    std::string line;
    for (char c : text)
        line += c == '\n' ? std::string("\\n") : std::string(1, c);
    return line;
}

} // namespace

const Control* Window::control(std::string_view key) const {
    for (const Control& control : controls)
        if (control.name == key)
            return &control;
    for (const Control& control : controls)
        if (control.text == key)
            return &control;
    return nullptr;
}

bool Window::shows(std::string_view text) const {
    for (const Control& control : controls)
        if (control.text == text)
            return true;
    return false;
}

Snapshot Snapshot::parse(const std::string& json) {
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json));
    if (!document.isObject())
        return {};
    Snapshot snapshot;
    snapshot.seq = document["seq"].toInteger(-1);
    snapshot.busy = document["busy"].toBool();
    for (const auto& value : document["windows"].toArray()) {
        const QJsonObject json = value.toObject();
        Window window{stringOf(json, "id"),
                      stringOf(json, "title"),
                      stringOf(json, "name"),
                      stringOf(json, "class"),
                      json["active"].toBool(),
                      json["modal"].toBool(),
                      {}};
        for (const auto& control : json["controls"].toArray())
            window.controls.push_back(controlOf(control.toObject()));
        snapshot.windows.push_back(std::move(window));
    }
    return snapshot;
}

const Window* Snapshot::window(std::string_view key, std::string_view text) const {
    for (const Window& window : windows)
        if ((window.title == key || window.name == key || window.className == key) &&
            (text.empty() || window.shows(text)))
            return &window;
    return nullptr;
}

std::optional<std::string> Snapshot::text(std::string_view window, std::string_view control) const {
    const Window* shown = this->window(window);
    const Control* found = shown ? shown->control(control) : nullptr;
    return found ? std::optional(found->text) : std::nullopt;
}

std::string Snapshot::describe() const {
    if (seq < 0)
        return "  (no snapshot from the probe)\n";
    std::ostringstream out;
    if (busy)
        out << "  (the hourglass pointer)\n";
    for (const Window& window : windows) {
        out << "  window \"" << window.title << "\" (" << window.className << " " << window.name << ")"
            << (window.active ? " active" : "") << (window.modal ? " modal" : "") << "\n";
        for (const Control& control : window.controls) {
            if (control.text.empty() && !control.focus)
                continue;
            out << "    " << control.className << " " << control.name << " \"" << oneLine(control.text) << "\""
                << (control.focus ? " [focus]" : "") << (control.down ? " [drawn pressed]" : "") << "\n";
        }
    }
    return out.str();
}

} // namespace qb::e2e
