// End to end on a real spooler: a record printed by the main window through the program's own printer reaches a
// cups-pdf queue that is the system's default printer. Skipped where no such queue is set up
// (scripts/setup-cups.sh sets one up); it never prints on any other printer.

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QTest>
#include <pwd.h>
#include <unistd.h>

#include "app/services/qt_printer.h"
#include "app/widgets/limited_text_edit.h"
#include "commands.h"
#include "form_fixture.h"

namespace qb::test {
namespace {

QString commandOutput(const std::vector<std::string>& argv) {
    return QString::fromStdString(
        harness::run({.argv = argv, .limit = std::chrono::seconds(20), .errors = harness::Errors::Apart}).output);
}

// The folder cups-pdf writes this user's jobs into: the Out setting of its configuration, with ${HOME} and
// ${USER} filled in; empty when cups-pdf is not installed.
QString cupsPdfOutFolder() {
    QFile config("/etc/cups/cups-pdf.conf");
    if (!config.open(QIODevice::ReadOnly))
        return {};
    static const QRegularExpression outLine(QStringLiteral("^Out\\s+(\\S.*)$"), QRegularExpression::MultilineOption);
    QString folder = outLine.match(QString::fromUtf8(config.readAll())).captured(1).trimmed();
    if (folder.isEmpty())
        folder = "/var/spool/cups-pdf/${USER}"; // cups-pdf's own default
    const passwd* user = getpwuid(getuid());
    if (!user)
        return {};
    return folder.replace("${HOME}", QString::fromLocal8Bit(user->pw_dir))
        .replace("${USER}", QString::fromLocal8Bit(user->pw_name));
}

QStringList pdfFilesIn(const QString& folder) {
    return QDir(folder).entryList({"*.pdf"}, QDir::Files);
}

class CupsPrintTest : public FormFixture {};

TEST_F(CupsPrintTest, RecordPrintedFromTheMainWindowArrivesAsATwoPagePdf) {
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (printer.isNull())
        GTEST_SKIP() << "no default printer: no cupsd runs here (scripts/setup-cups.sh sets one up)";
    if (!commandOutput({"lpstat", "-v", printer.printerName().toStdString()}).contains("cups-pdf:"))
        GTEST_SKIP() << "the default printer " << printer.printerName().toStdString()
                     << " is not a cups-pdf queue; this test prints only on one";
    const QString outFolder = cupsPdfOutFolder();
    if (outFolder.isEmpty())
        GTEST_SKIP() << "cups-pdf's configuration /etc/cups/cups-pdf.conf is missing";
    const QStringList before = pdfFilesIn(outFolder);

    app::QtPrinter realPrinter(QString::fromStdString(home / "printouts"), clock);
    app::Services realServices{drives, clock, dialogs, realPrinter, exit};
    app::MainWindow window(realServices);
    window.controls().reminderDate->setText("12/25/26");
    QString text = "Buy tickets\nfor the show";
    for (int line = 1; line <= 90; ++line)
        text += QString("\nline %1").arg(line);
    window.controls().recordText->setPlainText(text);
    dialogs.expectFont(std::nullopt);
    window.printRecord();
    EXPECT_TRUE(dialogs.messages().empty()) << dialogs.messages().front().text.toStdString();
    EXPECT_FALSE(QDir(QString::fromStdString(home / "printouts")).exists()) << "went to a PDF file, not the spooler";

    // The spooler works on its own time: wait, bounded, for a new file that poppler can read whole.
    const QDeadlineTimer deadline(60000);
    QString arrived;
    QString info;
    while (!deadline.hasExpired()) {
        for (const QString& name : pdfFilesIn(outFolder))
            if (!before.contains(name))
                arrived = QDir(outFolder).filePath(name);
        if (!arrived.isEmpty()) {
            info = commandOutput({"pdfinfo", arrived.toStdString()});
            if (info.contains("Pages:"))
                break;
        }
        QTest::qWait(250);
    }
    ASSERT_FALSE(arrived.isEmpty()) << "no PDF arrived in " << outFolder.toStdString() << " within 60 s";
    static const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
    EXPECT_EQ(pages.match(info).captured(1).toInt(), 2) << info.toStdString();
    QFile::remove(arrived);
}

} // namespace
} // namespace qb::test
