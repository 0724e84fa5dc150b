#include "app/services/qt_dialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QSpacerItem>
#include <QWidget>
#include <map>

#include "app/dialogs/font_dialog.h"
#include "app/services/progress_window.h"

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

// How long a message that ends a long job takes no key once it is up: a key pressed in passing as it comes up, or
// the first repeat of a key held down since before, lands within this time.
constexpr int kSettleMilliseconds = 500;

// While it lives, keys pressed before a message box came up do not answer it. A held key repeats: the X server sends
// each repeat as a release and a press of one moment, which Qt does not always mark as a repeat, so a press at the
// moment of the key's last release is taken for one too. With settle, no key is taken until that many
// milliseconds have passed.
class KeysInPassingIgnored final : public QObject {
public:
    KeysInPassingIgnored(QWidget* box, int settle) : box_(box), settle_(settle) {
        shown_.start();
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~KeysInPassingIgnored() override { QCoreApplication::instance()->removeEventFilter(this); }
    KeysInPassingIgnored(const KeysInPassingIgnored&) = delete;
    KeysInPassingIgnored& operator=(const KeysInPassingIgnored&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if ((type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride) ||
            !watched->isWidgetType() || !(watched == box_ || box_->isAncestorOf(static_cast<QWidget*>(watched))))
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (type == QEvent::KeyRelease) {
            if (key->timestamp() != 0) // 0: made by the program, not by the window system, so of no moment
                lastRelease_[key->key()] = key->timestamp();
            return false;
        }
        const auto released = lastRelease_.find(key->key());
        const bool repeat =
            key->isAutoRepeat() || (released != lastRelease_.end() && released->second == key->timestamp());
        if (!repeat && shown_.elapsed() >= settle_)
            return false;
        event->accept(); // an accepted shortcut override keeps an access key from firing; its press is dropped next
        return true;
    }

private:
    QWidget* box_;
    int settle_;
    QElapsedTimer shown_;
    std::map<int, quint64> lastRelease_; // the moment each key was last released, in the X server's time
};

// A message box without an icon, with these buttons and the default one; the button the user chose.
QMessageBox::StandardButton askBox(QWidget* parent, const QString& text, const QString& title,
                                   QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton,
                                   int settle = 0) {
    QMessageBox box(QMessageBox::NoIcon, title, text, buttons, parent);
    makeRoomForTitle(box, title);
    box.setDefaultButton(defaultButton);
    const KeysInPassingIgnored keysInPassing(&box, settle);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace

void QtDialogs::message(QWidget* parent, const QString& text, const QString& title) {
    askBox(parent, text, title, QMessageBox::Ok, QMessageBox::Ok);
}

void QtDialogs::jobEndMessage(QWidget* parent, const QString& text, const QString& title) {
    askBox(parent, text, title, QMessageBox::Ok, QMessageBox::Ok, kSettleMilliseconds);
}

bool QtDialogs::question(QWidget* parent, const QString& text, const QString& title) {
    return askBox(parent, text, title, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

bool QtDialogs::confirm(QWidget* parent, const QString& text, const QString& title) {
    return askBox(parent, text, title, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
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

std::unique_ptr<ProgressWindow> QtDialogs::showProgress(QWidget* parent, const QString& title, const QString& text,
                                                        const QString& stopQuestion) {
    return std::make_unique<QtProgressWindow>(parent, *this, title, text, stopQuestion);
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
