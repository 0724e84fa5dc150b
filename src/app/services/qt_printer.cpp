#include "app/services/qt_printer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <memory>

#include "platform/clock.h"
#include "platform/files.h"

namespace qb::app {

// One print document: the Qt printer and the painter on it.
struct QtPrinter::Document {
    QFile pdfFile; ///< the PDF file this document created; declared first, so it closes after the printer ends
    std::unique_ptr<QPrinter> printer;
    QPainter painter; ///< declared after the printer, so it ends before the printer goes
    QString pdfPath;  ///< empty when the document goes to a printer
};

namespace {

// Paper has a border a printer cannot reach; a PDF file has none, so it gets one of about the same size.
const QMarginsF kPdfMarginsMm(15, 15, 15, 15);

// The part of a line that reaches into the printable width: the characters that fit whole, plus the one the right
// margin cuts through (the painter's clip trims it). Found by halving, as a record line may be 30000 characters.
QString visiblePart(const QString& line, const QFontMetricsF& metrics, qreal width) {
    if (metrics.horizontalAdvance(line) <= width)
        return line;
    qsizetype fits = 0;
    qsizetype overflows = line.size();
    while (overflows - fits > 1) {
        const qsizetype middle = fits + (overflows - fits) / 2;
        if (metrics.horizontalAdvance(line.left(middle)) <= width)
            fits = middle;
        else
            overflows = middle;
    }
    return line.left(overflows);
}

void clipToPage(QPainter& painter, const QPrinter& printer) {
    painter.setClipRect(QRectF(0, 0, printer.width(), printer.height()));
}

} // namespace

QtPrinter::QtPrinter(QString printoutsFolder, const platform::Clock& clock, Destination destination)
    : printoutsFolder_(std::move(printoutsFolder)), clock_(clock), destination_(destination),
      font_(qtFontOf(initialPrinterFont())), color_(initialPrinterFont().color) {}

QtPrinter::~QtPrinter() = default;

FontChoice QtPrinter::font() const {
    return {font_.family(),    font_.pointSizeF(), font_.bold(), font_.italic(),
            font_.underline(), font_.strikeOut(),  color_};
}

bool QtPrinter::setFont(const FontChoice& choice) {
    // A name and a size the printer cannot print in are refused, and so is a colour that is none; what comes after a
    // refused part stays as it was.
    if (choice.name.trimmed().isEmpty())
        return false;
    font_.setFamily(choice.name);
    if (!(choice.pointSize > 0 && choice.pointSize <= 2048))
        return false;
    font_.setPointSizeF(choice.pointSize);
    font_.setBold(choice.bold);
    font_.setItalic(choice.italic);
    font_.setUnderline(choice.underline);
    font_.setStrikeOut(choice.strikeout);
    if (!choice.color.isValid())
        return false;
    color_ = choice.color;
    return true;
}

PrintResult QtPrinter::print(const print::PrintedItems& items, print::TwipsPoint firstLine) {
    if (items.empty())
        return {}; // nothing to print, so nothing to send
    // A document that is not ended properly is ended by its painter's destructor, which closes a half-made PDF file.
    Document document;
    if (const QString failure = startDocument(document); !failure.isEmpty())
        return {PrintResult::Kind::Failed, failure};
    const QPrinter& printer = *document.printer;
    const QFontMetricsF metrics(font_, &printer);
    const print::PageMeasures page{static_cast<double>(printer.resolution()), static_cast<double>(printer.height()),
                                   metrics.height(), metrics.lineSpacing()};
    if (const QString failure = drawPages(document, print::layOutPages(items, page, firstLine)); !failure.isEmpty())
        return {PrintResult::Kind::Failed, failure};
    return endDocument(document);
}

PrintResult QtPrinter::endDocument(Document& document) const {
    const bool ended = document.painter.end();
    if (!ended || document.printer->printerState() == QPrinter::Error ||
        (!document.pdfPath.isEmpty() && document.pdfFile.size() == 0))
        return {PrintResult::Kind::Failed, cannotPrintMessage(document)};
    if (!document.pdfPath.isEmpty()) {
        const QString where = destination_ == Destination::PdfFile
                                  ? QStringLiteral("The printout was saved as the PDF file\n%1")
                                  : QStringLiteral("No printer is set up on this computer, so the printout was saved "
                                                   "as the PDF file\n%1");
        return {PrintResult::Kind::Printed, where.arg(document.pdfPath)};
    }
    // The spooler takes the job even when the printer cannot print it; say so rather than let it wait unseen. The
    // job is queued, so this is no failure: printing again would only print it twice.
    const QString printerName = document.printer->printerName();
    if (QPrinterInfo::printerInfo(printerName).state() == QPrinter::Error)
        return {PrintResult::Kind::Printed,
                QStringLiteral("The printout was sent to the printer \"%1\", but the printer reports a fault: "
                               "it may be stopped, off line or out of paper. The printout waits in its queue "
                               "until the printer is ready.")
                    .arg(printerName)};
    return {};
}

QString QtPrinter::cannotPrintMessage(const Document& document) {
    if (!document.pdfPath.isEmpty())
        return QStringLiteral("Quillbox could not write the PDF file %1, so the printout is missing.")
            .arg(document.pdfPath);
    return QStringLiteral("Quillbox could not print on the printer \"%1\". Check that the printer is switched on and "
                          "ready, then print again.")
        .arg(document.printer->printerName());
}

QString QtPrinter::startDocument(Document& document) const {
    const QPrinterInfo target =
        destination_ == Destination::DefaultPrinter ? QPrinterInfo::defaultPrinter() : QPrinterInfo();
    if (!target.isNull()) {
        document.printer = std::make_unique<QPrinter>(target, QPrinter::HighResolution);
    } else {
        if (QString failure = createPdfFile(document); !failure.isEmpty())
            return failure;
        document.printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        document.printer->setOutputFormat(QPrinter::PdfFormat);
        // Qt writes to a file it opens by name. The descriptor's own name opens the very file created above, so
        // nothing put under the file's name in between can receive the printout.
        document.printer->setOutputFileName(QStringLiteral("/proc/self/fd/%1").arg(document.pdfFile.handle()));
        document.printer->setPageMargins(kPdfMarginsMm, QPageLayout::Millimeter);
    }
    document.printer->setDocName(QStringLiteral("Quillbox"));
    if (!document.painter.begin(document.printer.get()))
        return cannotPrintMessage(document);
    clipToPage(document.painter, *document.printer);
    return {};
}

QString QtPrinter::createPdfFile(Document& document) const {
    if (!platform::makeDirectories(QFile::encodeName(printoutsFolder_).toStdString()).ok())
        return QStringLiteral("There is no printer, and Quillbox could not create the folder %1 for a PDF file of the "
                              "printout, so nothing was printed.")
            .arg(printoutsFolder_);
    const platform::LocalDateTime now = clock_.now();
    const QString stem = QStringLiteral("printout-%1-%2-%3_%4-%5-%6")
                             .arg(now.year, 4, 10, QLatin1Char('0'))
                             .arg(now.month, 2, 10, QLatin1Char('0'))
                             .arg(now.day, 2, 10, QLatin1Char('0'))
                             .arg(now.hour, 2, 10, QLatin1Char('0'))
                             .arg(now.minute, 2, 10, QLatin1Char('0'))
                             .arg(now.second, 2, 10, QLatin1Char('0'));
    const QDir folder(printoutsFolder_);
    // Two printouts within one second must not overwrite each other, nor may a printout go through a name that is
    // there already (a symbolic link included): the file is created exclusively, else the next name is taken.
    for (int copy = 1;; ++copy) {
        const QString path = folder.absoluteFilePath(copy == 1 ? stem + QStringLiteral(".pdf")
                                                               : QStringLiteral("%1-%2.pdf").arg(stem).arg(copy));
        document.pdfFile.setFileName(path);
        if (document.pdfFile.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            document.pdfPath = path;
            return {};
        }
        const QFileInfo there(path);
        if (!there.exists() && !there.isSymLink())
            return QStringLiteral("There is no printer, and Quillbox could not create the PDF file %1 (%2), so "
                                  "nothing was printed.")
                .arg(path, document.pdfFile.errorString());
    }
}

QString QtPrinter::drawPages(Document& document, const std::vector<print::Page>& pages) const {
    QPrinter& printer = *document.printer;
    const QFontMetricsF metrics(font_, &printer);
    for (std::size_t page = 0; page < pages.size(); ++page) {
        if (page > 0) {
            if (!printer.newPage())
                return cannotPrintMessage(document);
            clipToPage(document.painter, printer);
        }
        document.painter.setFont(font_);
        document.painter.setPen(color_);
        for (const print::PlacedLine& line : pages[page])
            document.painter.drawText(
                QPointF(line.x, line.y + metrics.ascent()),
                visiblePart(QString::fromStdString(line.text), metrics, printer.width() - line.x));
    }
    return {};
}

} // namespace qb::app
