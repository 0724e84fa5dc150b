#pragma once
// Scripted dialogs for the window tests: every dialog, beep and pointer change is recorded in order, and the
// answers come from a queue the test fills beforehand. A dialog that needs an answer nobody scripted fails the test.

#include <deque>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <vector>

#include "app/services/dialogs.h"
#include "qt_print.h"

namespace qb::test {

/** One thing the program showed or did to the user. */
struct Shown {
    enum class Kind { Message, Question, Confirm, Input, OpenFile, Font, Beep, Pointer, Progress };
    Kind kind = Kind::Message;
    QString text;   ///< message or question text, input prompt, file filter; for a pointer the window's object name
    QString title;  ///< the title; empty for the file, font, beep and pointer entries
    QString extra;  ///< the input box's pre-filled text, the file dialog's selected entry, the font flags, the
                    ///< pointer shape ("hourglass" or "default"), "ends a job" for such a message
    QString parent; ///< the object name of the window the dialog belongs to; not compared

    static Shown message(const QString& text, const QString& title);
    /** A message that ends a long job. */
    static Shown jobEndMessage(const QString& text, const QString& title);
    static Shown question(const QString& text, const QString& title);
    /** A question with No the default. */
    static Shown confirm(const QString& text, const QString& title);
    static Shown input(const QString& prompt, const QString& title, const QString& initialText = {});
    static Shown openFile(const QString& filter, int selected);
    static Shown font(int flags = app::kFontDialogFlags);
    static Shown beep();
    static Shown pointer(const QString& window, app::Pointer shape);
    /** A progress window opened with a title and text, or a text shown in it with the bar at done of total ("1/3");
     *  "closed" when it went. */
    static Shown progress(const QString& text, const QString& title = {}, const QString& bar = {});

    friend bool operator==(const Shown& a, const Shown& b) {
        return a.kind == b.kind && a.text == b.text && a.title == b.title && a.extra == b.extra;
    }
};

/** Readable output of a recorded entry in test failures. */
void PrintTo(const Shown& shown, std::ostream* out);

/** The fake dialogs: records, answers from a script, fails on the unexpected. */
class FakeDialogs final : public app::Dialogs {
public:
    ~FakeDialogs() override;

    /** Scripts the answers, in the order the dialogs will come up. */
    void expectQuestion(bool yes);
    void expectConfirm(bool yes);
    void expectInput(const QString& answer);
    void expectOpenFile(const QString& path);
    void expectFont(std::optional<app::FontChoice> choice);
    /** Scripts OK in the font dialog without a change: the answer is the font it was opened on. */
    void expectFontUnchanged();
    /** Scripts a progress window. With stopAfter, Stop is pressed once that many steps are done, which asks the
     *  window's stop question (script its answer with expectConfirm); duringWait runs at each of its waits, while the
     *  job holds the program. */
    void expectProgress(std::optional<int> stopAfter = std::nullopt, std::function<void()> duringWait = {});

    /** Everything in order, pointers and beeps included. */
    const std::vector<Shown>& events() const { return events_; }
    /** The dialogs only: messages, questions, confirmations, input boxes, file and font dialogs. */
    std::vector<Shown> dialogs() const;
    /** The message boxes only. */
    std::vector<Shown> messages() const;
    /** The pointer changes only. */
    std::vector<Shown> pointers() const;
    /** How many beeps sounded. */
    int beeps() const;
    /** The entries of these kinds only, in order. */
    std::vector<Shown> only(std::initializer_list<Shown::Kind> kinds) const;
    /** Forgets what was recorded so far (the script stays). */
    void clearLog() { events_.clear(); }
    /** The fonts the font dialogs were opened on, in order. */
    const std::vector<app::FontChoice>& fontsOffered() const { return fontsOffered_; }
    /** Scripted answers not asked for yet. */
    std::size_t pendingAnswers() const { return answers_.size(); }

    void message(QWidget* parent, const QString& text, const QString& title) override;
    void jobEndMessage(QWidget* parent, const QString& text, const QString& title) override;
    bool question(QWidget* parent, const QString& text, const QString& title) override;
    bool confirm(QWidget* parent, const QString& text, const QString& title) override;
    QString inputBox(QWidget* parent, const QString& prompt, const QString& title, const QString& initialText) override;
    QString openFile(QWidget* parent, const QString& filter, int selected) override;
    std::optional<app::FontChoice> chooseFont(QWidget* parent, int flags, const app::FontChoice& current) override;
    std::unique_ptr<app::ProgressWindow> showProgress(QWidget* parent, const QString& title, const QString& text,
                                                      const QString& stopQuestion) override;
    void beep() override;
    void setPointer(QWidget* window, app::Pointer pointer) override;

private:
    struct Answer {
        Shown::Kind kind = Shown::Kind::Message;
        bool yes = false;
        QString text{};
        std::optional<app::FontChoice> font{};
        bool unchanged = false;         ///< a font dialog answered with the font it was opened on
        std::optional<int> stopAfter{}; ///< a progress window's Stop, once this many steps are done
        std::function<void()> onWait{}; ///< what happens during a progress window's waits
    };
    class Progress;
    /** Records a dialog and takes its scripted answer (valid until the next dialog); null when none of that kind is
     *  next in the script. */
    const Answer* record(Shown shown, QWidget* parent);

    std::vector<Shown> events_;
    std::deque<Answer> answers_;
    Answer lastAnswer_;
    std::vector<app::FontChoice> fontsOffered_;
};

} // namespace qb::test
