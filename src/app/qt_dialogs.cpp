#include "app/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QSpacerItem>
#include <QWidget>

#include "app/font_dialog.h"
#include "app/progress_window.h"

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

namespace {

// The width a dialog needs so that the window manager does not cut its title short.
int titleRoom(const QWidget& box, const QString& title) {
    return QFontMetrics(box.font()).horizontalAdvance(title) + 140;
}

// A short message would make a box too narrow for its title; a spacer row widens it.
void makeRoomForTitle(QMessageBox& box, const QString& title) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    grid->addItem(new QSpacerItem(titleRoom(box, title), 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(),
                  0, 1, grid->columnCount());
}

} // namespace

void QtDialogs::message(QWidget* parent, const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    makeRoomForTitle(box, title);
    box.exec();
}

bool QtDialogs::question(QWidget* parent, const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    makeRoomForTitle(box, title);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

QString QtDialogs::inputBox(QWidget* parent, const QString& prompt, const QString& title, const QString& initialText) {
    QInputDialog box(parent);
    box.setInputMode(QInputDialog::TextInput);
    box.setWindowTitle(title);
    // The prompt's label has a buddy, so a lone "&" would turn into an access key: double it to show it.
    box.setLabelText(QString(prompt).replace(QLatin1Char('&'), QStringLiteral("&&")));
    box.setTextValue(initialText);
    box.setMinimumWidth(titleRoom(box, title));
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

std::optional<FontChoice> QtDialogs::chooseFont(QWidget* parent, int flags, const FontChoice& current) {
    return runFontDialog(parent, flags, current);
}

std::unique_ptr<ProgressWindow> QtDialogs::showProgress(QWidget* parent, const QString& title, const QString& text) {
    return std::make_unique<QtProgressWindow>(parent, title, text);
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
