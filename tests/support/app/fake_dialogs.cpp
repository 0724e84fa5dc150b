#include "fake_dialogs.h"

#include <QWidget>
#include <chrono>

#include "platform/clock.h"
#include <algorithm>
#include <gtest/gtest.h>
#include <ostream>

namespace qb::test {

namespace {

const char* kindName(Shown::Kind kind) {
    static const char* const names[] = {"message",     "question", "confirmation", "input box",      "file-open dialog",
                                        "font dialog", "beep",     "pointer",      "progress window"}; // as Shown::Kind
    return names[static_cast<int>(kind)];
}

QString nameOf(const QWidget* widget) {
    return widget ? widget->objectName() : QStringLiteral("(none)");
}

} // namespace

Shown Shown::message(const QString& text, const QString& title) {
    return {Kind::Message, text, title, {}, {}};
}
Shown Shown::jobEndMessage(const QString& text, const QString& title) {
    return {Kind::Message, text, title, QStringLiteral("ends a job"), {}};
}
Shown Shown::question(const QString& text, const QString& title) {
    return {Kind::Question, text, title, {}, {}};
}
Shown Shown::confirm(const QString& text, const QString& title) {
    return {Kind::Confirm, text, title, {}, {}};
}
Shown Shown::input(const QString& prompt, const QString& title, const QString& initialText) {
    return {Kind::Input, prompt, title, initialText, {}};
}
Shown Shown::openFile(const QString& filter, int selected) {
    return {Kind::OpenFile, filter, {}, QString::number(selected), {}};
}
Shown Shown::font(int flags) {
    return {Kind::Font, {}, {}, QString::number(flags), {}};
}
Shown Shown::beep() {
    return {Kind::Beep, {}, {}, {}, {}};
}
Shown Shown::progress(const QString& text, const QString& title, const QString& bar) {
    return {Kind::Progress, text, title, bar, {}};
}

Shown Shown::pointer(const QString& window, app::Pointer shape) {
    return {Kind::Pointer, window, {}, shape == app::Pointer::Hourglass ? "hourglass" : "default", {}};
}

void PrintTo(const Shown& shown, std::ostream* out) {
    *out << kindName(shown.kind) << "{";
    if (!shown.text.isEmpty())
        *out << "\"" << shown.text.toStdString() << "\"";
    if (!shown.title.isEmpty())
        *out << " title \"" << shown.title.toStdString() << "\"";
    if (!shown.extra.isEmpty())
        *out << " [" << shown.extra.toStdString() << "]";
    *out << "}";
}

FakeDialogs::~FakeDialogs() {
    for (const Answer& answer : answers_)
        ADD_FAILURE() << "a scripted answer for a " << kindName(answer.kind) << " was never asked for";
}

void FakeDialogs::expectQuestion(bool yes) {
    answers_.push_back({.kind = Shown::Kind::Question, .yes = yes});
}
void FakeDialogs::expectConfirm(bool yes) {
    answers_.push_back({.kind = Shown::Kind::Confirm, .yes = yes});
}
void FakeDialogs::expectInput(const QString& answer) {
    answers_.push_back({.kind = Shown::Kind::Input, .text = answer});
}
void FakeDialogs::expectOpenFile(const QString& path) {
    answers_.push_back({.kind = Shown::Kind::OpenFile, .text = path});
}
void FakeDialogs::expectFont(std::optional<app::FontChoice> choice) {
    answers_.push_back({.kind = Shown::Kind::Font, .font = std::move(choice)});
}
void FakeDialogs::expectFontUnchanged() {
    answers_.push_back({.kind = Shown::Kind::Font, .unchanged = true});
}
void FakeDialogs::expectProgress(std::optional<int> stopAfter, std::function<void()> duringWait) {
    answers_.push_back({.kind = Shown::Kind::Progress, .stopAfter = stopAfter, .onWait = std::move(duringWait)});
}

// A progress window that writes down each text and bar it shows, presses Stop once when the script says so, which
// asks its stop question, and passes its waits on to the clock (a test's manual clock returns at once).
class FakeDialogs::Progress final : public app::ProgressWindow {
public:
    Progress(FakeDialogs& dialogs, Answer script, QString title, QString stopQuestion)
        : dialogs_(dialogs), script_(std::move(script)), title_(std::move(title)),
          stopQuestion_(std::move(stopQuestion)) {}
    ~Progress() override { dialogs_.events_.push_back(Shown::progress({}, {}, QStringLiteral("closed"))); }
    void update(const QString& text, int done, int total) override {
        dialogs_.events_.push_back(Shown::progress(text, {}, QStringLiteral("%1/%2").arg(done).arg(total)));
        if (script_.stopAfter && done >= *script_.stopAfter && !stopPressed_) {
            stopPressed_ = true;
            stopped_ = dialogs_.confirm(nullptr, stopQuestion_, title_);
        }
    }
    void waitUntil(platform::Clock& clock, std::chrono::steady_clock::time_point deadline) override {
        if (script_.onWait)
            script_.onWait();
        clock.waitUntil(deadline);
    }
    bool stopRequested() const override { return stopped_; }

private:
    FakeDialogs& dialogs_;
    Answer script_;
    QString title_, stopQuestion_;
    bool stopPressed_ = false;
    bool stopped_ = false;
};

std::unique_ptr<app::ProgressWindow> FakeDialogs::showProgress(QWidget* parent, const QString& title,
                                                               const QString& text, const QString& stopQuestion) {
    const Answer* answer = record(Shown::progress(text, title), parent);
    return std::make_unique<Progress>(*this, answer ? *answer : Answer{}, title, stopQuestion);
}

const FakeDialogs::Answer* FakeDialogs::record(Shown shown, QWidget* parent) {
    shown.parent = nameOf(parent);
    events_.push_back(shown);
    if (answers_.empty() || answers_.front().kind != shown.kind) {
        ::testing::Message next;
        if (!answers_.empty())
            next << " (the next scripted answer is for a " << kindName(answers_.front().kind) << ")";
        ADD_FAILURE() << "unexpected " << ::testing::PrintToString(shown) << next;
        return nullptr;
    }
    lastAnswer_ = std::move(answers_.front());
    answers_.pop_front();
    return &lastAnswer_;
}

std::vector<Shown> FakeDialogs::only(std::initializer_list<Shown::Kind> kinds) const {
    std::vector<Shown> kept;
    std::copy_if(events_.begin(), events_.end(), std::back_inserter(kept),
                 [&](const Shown& shown) { return std::find(kinds.begin(), kinds.end(), shown.kind) != kinds.end(); });
    return kept;
}

std::vector<Shown> FakeDialogs::dialogs() const {
    using K = Shown::Kind;
    return only({K::Message, K::Question, K::Confirm, K::Input, K::OpenFile, K::Font});
}

std::vector<Shown> FakeDialogs::messages() const {
    return only({Shown::Kind::Message});
}

std::vector<Shown> FakeDialogs::pointers() const {
    return only({Shown::Kind::Pointer});
}

int FakeDialogs::beeps() const {
    return static_cast<int>(only({Shown::Kind::Beep}).size());
}

void FakeDialogs::message(QWidget* parent, const QString& text, const QString& title) {
    events_.push_back(Shown::message(text, title));
    events_.back().parent = nameOf(parent);
}

void FakeDialogs::jobEndMessage(QWidget* parent, const QString& text, const QString& title) {
    events_.push_back(Shown::jobEndMessage(text, title));
    events_.back().parent = nameOf(parent);
}

bool FakeDialogs::question(QWidget* parent, const QString& text, const QString& title) {
    const Answer* answer = record(Shown::question(text, title), parent);
    return answer && answer->yes;
}

bool FakeDialogs::confirm(QWidget* parent, const QString& text, const QString& title) {
    const Answer* answer = record(Shown::confirm(text, title), parent);
    return answer && answer->yes;
}

QString FakeDialogs::inputBox(QWidget* parent, const QString& prompt, const QString& title,
                              const QString& initialText) {
    const Answer* answer = record(Shown::input(prompt, title, initialText), parent);
    return answer ? answer->text : QString();
}

QString FakeDialogs::openFile(QWidget* parent, const QString& filter, int selected) {
    const Answer* answer = record(Shown::openFile(filter, selected), parent);
    return answer ? answer->text : QString();
}

std::optional<app::FontChoice> FakeDialogs::chooseFont(QWidget* parent, int flags, const app::FontChoice& current) {
    fontsOffered_.push_back(current);
    const Answer* answer = record(Shown::font(flags), parent);
    if (answer && answer->unchanged)
        return current;
    return answer ? answer->font : std::nullopt;
}

void FakeDialogs::beep() {
    events_.push_back(Shown::beep());
}

void FakeDialogs::setPointer(QWidget* window, app::Pointer pointer) {
    events_.push_back(Shown::pointer(nameOf(window), pointer));
}

} // namespace qb::test
