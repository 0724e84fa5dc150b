// The Qt printer on real output: pages printed into PDF files through Qt's print support, read back with poppler's
// pdftotext, pdfinfo and pdffonts.

#include "app/services/qt_printer.h"

#include <QDir>
#include <QFileInfo>
#include <QRectF>
#include <QRegularExpression>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

#include "commands.h"
#include "manual_clock.h"
#include "platform/cp1252.h"
#include "print/printouts.h"
#include "temp_dir.h"

namespace qb::app {
namespace {

// The output of a poppler tool run with its arguments; fails the test when the tool is missing or fails.
QString popplerOutput(const std::vector<std::string>& argv) {
    const harness::CommandResult run =
        harness::run({.argv = argv, .limit = std::chrono::seconds(30), .errors = harness::Errors::Apart});
    if (run.status != 0) {
        ADD_FAILURE() << argv.front() << " failed (Debian package poppler-utils): " << run.errors;
        return {};
    }
    return QString::fromStdString(run.output);
}

// The text of the pages, line by line; a new page starts a new line.
QStringList textLines(const QString& pdf) {
    return popplerOutput({"pdftotext", "-layout", pdf.toStdString(), "-"}).replace('\f', '\n').split('\n');
}

int pageCount(const QString& pdf) {
    static const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
    return pages.match(popplerOutput({"pdfinfo", pdf.toStdString()})).captured(1).toInt();
}

// Where the first word that matches the pattern lies, in points from the top left of its page.
QRectF wordBox(const QString& pdf, const QString& word) {
    const QRegularExpression pattern(
        QStringLiteral("xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">%1</word>")
            .arg(word));
    const QRegularExpressionMatch match = pattern.match(popplerOutput({"pdftotext", "-bbox", pdf.toStdString(), "-"}));
    EXPECT_TRUE(match.hasMatch()) << word.toStdString();
    return QRectF(QPointF(match.captured(1).toDouble(), match.captured(2).toDouble()),
                  QPointF(match.captured(3).toDouble(), match.captured(4).toDouble()));
}

class QtPrinterTest : public ::testing::Test {
protected:
    QString folder() const { return QString::fromStdString(home_ / "printouts"); }

    // Prints the items (Windows-1252) as one document and gives the PDF file's path, taken from the message to the
    // user.
    QString printToPdf(QtPrinter& printer, const print::PrintedItems& items,
                       print::TwipsPoint firstLine = print::kFirstLineStart) {
        print::PrintedItems text;
        for (const std::string& item : items)
            text.push_back(platform::cp1252ToUtf8(item));
        const PrintResult outcome = printer.print(text, firstLine);
        EXPECT_TRUE(outcome.ok()) << outcome.message.toStdString();
        EXPECT_TRUE(outcome.message.startsWith("The printout was saved as the PDF file\n"))
            << outcome.message.toStdString();
        return outcome.message.section('\n', 1);
    }

    test::TempDir home_;
    test::ManualClock clock_;
    QtPrinter printer_{folder(), clock_, QtPrinter::Destination::PdfFile};
};

TEST_F(QtPrinterTest, RecordPageReadsBackLineByLine) {
    const QString pdf = printToPdf(printer_, print::recordPrintout("12/25/26", "Buy tickets\r\nfor the show"));

    EXPECT_EQ(pdf, QDir(folder()).absoluteFilePath("printout-2026-12-06_14-03-59.pdf"));
    const QStringList lines = textLines(pdf);
    // The text's second line starts at the left margin, like its first: no indent, no wrap, nothing between.
    const qsizetype date = lines.indexOf("Reminder date : 12/25/26");
    ASSERT_GE(date, 0) << lines.join('\n').toStdString();
    EXPECT_EQ(lines.mid(date + 1, 3), (QStringList{"", "Buy tickets", "for the show"}));
    EXPECT_EQ(pageCount(pdf), 1);
}

TEST_F(QtPrinterTest, ReminderPageCarriesTheDateLineAndWindows1252Text) {
    const QString pdf =
        printToPdf(printer_, print::reminderPrintout("Reminder dated: 12/06/26\r\n\r\nCaf\xE9 bill \x80 12\r\n",
                                                     "12-06-2026", "14:03:59"));
    const QStringList lines = textLines(pdf);
    EXPECT_TRUE(lines.contains(QRegularExpression("^The set of reminders was printed on: 12-06-2026 +14:03:59$")))
        << lines.join('\n').toStdString();
    // The text reader squeezes spaces, so measure the gap: four characters of the fixed-pitch font.
    const QRectF date = wordBox(pdf, "12-06-2026");
    EXPECT_NEAR(wordBox(pdf, "14:03:59").left() - date.right(), 4 * date.width() / 10, 0.1);
    EXPECT_TRUE(lines.contains("Reminder dated: 12/06/26"));
    EXPECT_TRUE(lines.contains(QString::fromUtf8("Café bill € 12")));
}

TEST_F(QtPrinterTest, TheTwoDrawingSettingsPlaceTheFirstLine) {
    const QString atCorner = printToPdf(printer_, print::recordPrintout("01/02/03", ""), {0, 0});
    clock_.advance(std::chrono::seconds(1));
    const QString moved = printToPdf(printer_, print::recordPrintout("01/02/03", ""), {99, 100});
    // 100 twips down is 5 points.
    EXPECT_NEAR(wordBox(moved, "Reminder").top() - wordBox(atCorner, "Reminder").top(), 5.0, 0.1);
    // Only the first line starts 99 twips in; the next ones start at the left margin.
    EXPECT_NEAR(wordBox(moved, "Reminder").left(), wordBox(atCorner, "Reminder").left(), 0.1);
}

TEST_F(QtPrinterTest, LongTextGoesOnOnNewPagesAndWideLinesStopAtTheMargin) {
    std::string text = std::string(400, 'x') + "END";
    for (int line = 1; line <= 150; ++line)
        text += "\r\nline " + std::to_string(line);
    const QString pdf = printToPdf(printer_, print::recordPrintout("", text));

    EXPECT_EQ(pageCount(pdf), 3);
    const QString all = textLines(pdf).join('\n');
    EXPECT_FALSE(all.contains("END"));
    // The wide line stops in the character the right margin cuts (15 mm, 42.5 points, on a PDF page).
    static const QRegularExpression pageWidth(QStringLiteral("<page width=\"([0-9.]+)\""));
    const double rightMargin =
        pageWidth.match(popplerOutput({"pdftotext", "-bbox", pdf.toStdString(), "-"})).captured(1).toDouble() - 42.52;
    const QRectF wide = wordBox(pdf, "x{40,}");
    const qsizetype characters = QRegularExpression("x{40,}").match(all).capturedLength();
    ASSERT_GT(characters, 0);
    EXPECT_GT(wide.right(), rightMargin);
    EXPECT_LT(wide.right(), rightMargin + wide.width() / characters);
    // Every line arrives once, in order, across the page breaks.
    qsizetype from = 0;
    for (int line = 1; line <= 150; ++line) {
        const qsizetype at = all.indexOf(
            QRegularExpression(QStringLiteral("^line %1$").arg(line), QRegularExpression::MultilineOption), from);
        ASSERT_GT(at, from) << "line " << line;
        from = at;
    }
}

TEST_F(QtPrinterTest, FontAndColourCarryOverToTheNextDocument) {
    FontChoice serif{QStringLiteral("Liberation Serif"), 14, true};
    serif.color = Qt::red;
    ASSERT_TRUE(printer_.setFont(serif));
    printToPdf(printer_, print::recordPrintout("", "first"));
    const QString second = printToPdf(printer_, print::recordPrintout("", "second"));

    EXPECT_TRUE(second.endsWith("printout-2026-12-06_14-03-59-2.pdf")) << second.toStdString();
    EXPECT_TRUE(popplerOutput({"pdffonts", second.toStdString()}).contains("LiberationSerif-Bold"));
    EXPECT_EQ(printer_.font(), serif);
    // Values a printer cannot take are refused and leave the font alone.
    for (const FontChoice& refused : {FontChoice{QStringLiteral("  ")}, FontChoice{serif.name, 0},
                                      FontChoice{serif.name, serif.pointSize, serif.bold, false, false, false, {}}}) {
        EXPECT_FALSE(printer_.setFont(refused));
        EXPECT_EQ(printer_.font(), serif);
    }
}

TEST_F(QtPrinterTest, ANameThatIsTakenByAnythingIsPassedOverNeverWrittenThrough) {
    const std::string first = folder().toStdString() + "/printout-2026-12-06_14-03-59.pdf";
    test::writeFile(home_ / "victim", "keep me");
    const auto link = [&](const std::string& target) { ASSERT_EQ(::symlink(target.c_str(), first.c_str()), 0); };
    const struct {
        const char* what;
        std::function<void()> plant;
    } cases[] = {
        {"a file", [&] { test::writeFile(first, "an older printout"); }},
        {"a link to a file", [&] { link(home_ / "victim"); }},
        {"a link to nowhere", [&] { link(home_ / "created-through-the-link"); }},
        {"a folder", [&] { ASSERT_TRUE(QDir().mkpath(QString::fromStdString(first))); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(QDir().mkpath(folder()));
        c.plant();
        const QString pdf = printToPdf(printer_, print::recordPrintout("", "planted"));
        EXPECT_TRUE(pdf.endsWith("printout-2026-12-06_14-03-59-2.pdf")) << pdf.toStdString();
        EXPECT_TRUE(textLines(pdf).contains("planted"));
        EXPECT_EQ(test::readFile(home_ / "victim"), "keep me");
        EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(home_ / "created-through-the-link")));
        ASSERT_TRUE(QDir(folder()).removeRecursively());
    }
}

TEST_F(QtPrinterTest, NothingPrintedSendsNothing) {
    const PrintResult outcome = printer_.print({}, print::kFirstLineStart);
    EXPECT_TRUE(outcome.ok());
    EXPECT_TRUE(outcome.message.isEmpty());
    EXPECT_FALSE(QDir(folder()).exists());
}

TEST_F(QtPrinterTest, AFolderThatCannotBeMadeFailsWithAMessageAndThePrinterRecovers) {
    test::writeFile(home_ / "blocker", "a file where a folder should be");
    QtPrinter blocked(QString::fromStdString(home_ / "blocker/printouts"), clock_, QtPrinter::Destination::PdfFile);
    const PrintResult failed = blocked.print({"lost"}, print::kFirstLineStart);
    EXPECT_FALSE(failed.ok());
    EXPECT_TRUE(failed.message.contains("could not create the folder")) << failed.message.toStdString();

    // The failed document is gone; nothing of it is sent with the next.
    const PrintResult nothing = blocked.print({}, print::kFirstLineStart);
    EXPECT_TRUE(nothing.ok());
    EXPECT_TRUE(nothing.message.isEmpty());
}

} // namespace
} // namespace qb::app
