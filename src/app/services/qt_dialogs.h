#pragma once
// The program's dialogs on Qt: message boxes, input boxes, the file-open and font dialogs, the beep and pointer.

#include <QStringList>

#include "app/services/dialogs.h"

namespace qb::app {

/** Qt name filters for a "caption|patterns|caption|patterns" filter: each caption keeps its text as shown, and
 *  "*.*" becomes "*", so files without a dot are listed too. */
QStringList nameFiltersOf(const QString& filter);

/** The dialogs as the user sees them. A message box takes no repeat of a key held down: an Enter held since before it
 *  came up (the one that began a long import, say) does not answer it unseen. */
class QtDialogs final : public Dialogs {
public:
    void message(QWidget* parent, const QString& text, const QString& title) override;
    void jobEndMessage(QWidget* parent, const QString& text, const QString& title) override;
    bool question(QWidget* parent, const QString& text, const QString& title) override;
    bool confirm(QWidget* parent, const QString& text, const QString& title) override;
    QString inputBox(QWidget* parent, const QString& prompt, const QString& title, const QString& initialText) override;
    QString openFile(QWidget* parent, const QString& filter, int selected) override;
    std::optional<FontChoice> chooseFont(QWidget* parent, int flags, const FontChoice& current) override;
    std::unique_ptr<ProgressWindow> showProgress(QWidget* parent, const QString& title, const QString& text,
                                                 const QString& stopQuestion) override;
    void beep() override;
    void setPointer(QWidget* window, Pointer pointer) override;
};

} // namespace qb::app
