#include "app/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QWidget>

#include "app/font_dialog.h"

namespace qb::app {

QStringList nameFiltersOf(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QStringLiteral("*.*"))
                pattern = QStringLiteral("*");
        }
        // The dialog hides the last bracketed part, so the caption shows exactly as written.
        filters << QStringLiteral("%1 (%2)").arg(parts[i], patterns.join(QLatin1Char(' ')));
    }
    return filters;
}

void QtDialogs::message(QWidget* parent, const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtDialogs::question(QWidget* parent, const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

QString QtDialogs::inputBox(QWidget* parent, const QString& prompt, const QString& title, const QString& initialText) {
    QInputDialog box(parent);
    box.setInputMode(QInputDialog::TextInput);
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setTextValue(initialText);
    return box.exec() == QDialog::Accepted ? box.textValue() : QString();
}

QString QtDialogs::openFile(QWidget* parent, const QString& filter, int selected) {
    QFileDialog box(parent);
    box.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
    box.setAcceptMode(QFileDialog::AcceptOpen);
    box.setFileMode(QFileDialog::ExistingFile);
    const QStringList filters = nameFiltersOf(filter);
    box.setNameFilters(filters);
    if (selected >= 1 && selected <= filters.size())
        box.selectNameFilter(filters[selected - 1]);
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty())
        return {};
    return box.selectedFiles().constFirst();
}

std::optional<FontChoice> QtDialogs::chooseFont(QWidget* parent, int flags) {
    return runFontDialog(parent, flags);
}

void QtDialogs::beep() {
    QApplication::beep();
}

void QtDialogs::setPointer(QWidget* window, Pointer pointer) {
    if (pointer == Pointer::Hourglass)
        window->setCursor(Qt::WaitCursor);
    else
        window->unsetCursor();
}

} // namespace qb::app
