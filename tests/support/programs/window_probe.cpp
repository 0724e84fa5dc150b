// Loaded into the real program with LD_PRELOAD by the end-to-end tests, so the program runs unchanged. It only
// observes; it never sends input. Two modes, chosen by the environment:
// - QUILLBOX_PROBE_SNAPSHOT=FILE: every 100 ms writes what is on screen to FILE as JSON (replaced in one rename): the
//   visible top-level windows (X window id, title, object name, class, active, modal) and in each the visible labels,
//   buttons (caption, isDown), line edits, text boxes and combo boxes with their text, global geometry and which one
//   has the focus; and whether a window of the program, shown or hidden, has the hourglass pointer, as the main
//   window has while a walk over the data folder runs. The program keeps running.
// - QUILLBOX_PROBE_WINDOW: once the top-level window of that object name is visible, writes the text of its
//   multi-line box QUILLBOX_PROBE_CONTROL (or, without it, the window's title) to QUILLBOX_PROBE_OUT and ends the
//   event loop. Gives up after 60 seconds.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTimer>
#include <cstdio>
#include <optional>

namespace {

void writeAndQuit(const QString& text) {
    QFile out(qEnvironmentVariable("QUILLBOX_PROBE_OUT"));
    if (out.open(QIODevice::WriteOnly))
        out.write(text.toUtf8());
    out.close();
    QCoreApplication::exit(0);
}

void startWindowProbe() {
    auto* timer = new QTimer(QCoreApplication::instance());
    QObject::connect(timer, &QTimer::timeout, [waited = 0]() mutable {
        const QString window = qEnvironmentVariable("QUILLBOX_PROBE_WINDOW");
        const QString control = qEnvironmentVariable("QUILLBOX_PROBE_CONTROL");
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->objectName() != window || !top->isVisible())
                continue;
            if (control.isEmpty())
                return writeAndQuit(top->windowTitle());
            if (auto* box = top->findChild<QPlainTextEdit*>(control))
                return writeAndQuit(box->toPlainText());
        }
        if (++waited > 600)
            QCoreApplication::exit(3);
    });
    timer->start(100);
}

void putGeometry(QJsonObject& json, const QWidget& widget) {
    const QPoint at = widget.mapToGlobal(QPoint(0, 0));
    json[QStringLiteral("x")] = at.x();
    json[QStringLiteral("y")] = at.y();
    json[QStringLiteral("w")] = widget.width();
    json[QStringLiteral("h")] = widget.height();
}

// The text a control shows, or nothing for a widget that is not one of the controls a test reads.
std::optional<QString> shownText(const QWidget& widget) {
    if (auto* button = qobject_cast<const QAbstractButton*>(&widget))
        return button->text();
    if (auto* label = qobject_cast<const QLabel*>(&widget))
        return label->text();
    if (auto* edit = qobject_cast<const QLineEdit*>(&widget)) // a combo box reports its own line edit's text
        return qobject_cast<const QComboBox*>(widget.parentWidget()) ? std::nullopt : std::optional(edit->text());
    if (auto* box = qobject_cast<const QPlainTextEdit*>(&widget))
        return box->toPlainText();
    if (auto* box = qobject_cast<const QTextEdit*>(&widget))
        return box->toPlainText();
    if (auto* combo = qobject_cast<const QComboBox*>(&widget))
        return combo->currentText();
    return std::nullopt;
}

QJsonObject describeWindow(QWidget& window) {
    QJsonObject json;
    json[QStringLiteral("id")] = QString::number(window.winId()); // tells two boxes of one title apart
    json[QStringLiteral("title")] = window.windowTitle();
    json[QStringLiteral("name")] = window.objectName();
    json[QStringLiteral("class")] = QString::fromLatin1(window.metaObject()->className());
    json[QStringLiteral("active")] = window.isActiveWindow();
    json[QStringLiteral("modal")] = window.isModal();
    QJsonArray controls;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        const std::optional<QString> text = shownText(*widget);
        if (!text || !widget->isVisible() || widget->window() != &window) // a message box is a window of its own
            continue;
        QJsonObject control;
        control[QStringLiteral("class")] = QString::fromLatin1(widget->metaObject()->className());
        control[QStringLiteral("name")] = widget->objectName();
        control[QStringLiteral("text")] = *text;
        control[QStringLiteral("focus")] = widget->hasFocus() || widget->isAncestorOf(QApplication::focusWidget());
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            control[QStringLiteral("down")] = button->isDown();
        putGeometry(control, *widget);
        controls.append(control);
    }
    json[QStringLiteral("controls")] = controls;
    return json;
}

// Whether a window of the program has the hourglass: the main window has it, hidden behind the reminder window, until
// the reminder check has ended.
bool busy() {
    for (const QWidget* top : QApplication::topLevelWidgets())
        if (top->testAttribute(Qt::WA_SetCursor) && top->cursor().shape() == Qt::WaitCursor)
            return true;
    return false;
}

void startSnapshots(const QString& path) {
    auto* timer = new QTimer(QCoreApplication::instance());
    QObject::connect(timer, &QTimer::timeout, [path, sequence = 0]() mutable {
        QJsonArray windows;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->isVisible() && top->windowType() != Qt::ToolTip)
                windows.append(describeWindow(*top));
        const QJsonObject root{{QStringLiteral("seq"), ++sequence},
                               {QStringLiteral("windows"), windows},
                               {QStringLiteral("busy"), busy()}};
        QFile out(path + QStringLiteral(".new"));
        const bool written = out.open(QIODevice::WriteOnly) && out.write(QJsonDocument(root).toJson()) > 0;
        out.close();
        if (written) // the reader never sees a half-written snapshot
            std::rename(QFile::encodeName(out.fileName()).constData(), QFile::encodeName(path).constData());
    });
    timer->start(100);
}

void startProbe() {
    // A run without windows (--remind, --search-service) has nothing to tell, and would write over the snapshots of
    // the Quillbox it starts.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    if (const QString snapshots = qEnvironmentVariable("QUILLBOX_PROBE_SNAPSHOT"); !snapshots.isEmpty())
        startSnapshots(snapshots);
    if (qEnvironmentVariableIsSet("QUILLBOX_PROBE_WINDOW"))
        startWindowProbe();
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(startProbe)
