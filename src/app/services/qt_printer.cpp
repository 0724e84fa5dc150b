#include "app/services/qt_printer.h"

#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "platform/clock.h"
#include "platform/files.h"

namespace qb::app {

// One print document: the Qt printer, the painter on it and the position of the next line in device units, measured
// from the top left of the printable area.
struct QtPrinter::Document {
    QFile pdfFile; ///< the PDF file this document created; declared first, so it closes after the printer ends
    std::unique_ptr<QPrinter> printer;
    QPainter painter; ///< declared after the printer, so it ends before the printer goes
    QString pdfPath;  ///< empty when the document goes to a printer
    QString failure;  ///< why the document cannot be printed; once set, the remaining lines are dropped
    qreal x = 0;
    qreal y = 0;
};

namespace {

// Paper has a border a printer cannot reach; a PDF file has none, so it gets one of about the same size.
const QMarginsF kPdfMarginsMm(15, 15, 15, 15);

qreal twipsToDevice(float twips, const QPrinter& printer) {
    return twips * printer.resolution() / 1440.0;
}

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

// A document left open is ended by its painter's destructor, which closes a half-made PDF file properly.
QtPrinter::~QtPrinter() = default;

// The two drawing settings are the start position of the first line, in twips: CurrentX then CurrentY.
void QtPrinter::setDrawingSettings(float first, float second) {
    startXTwips_ = first;
    startYTwips_ = second;
}

void QtPrinter::setHighQuality() {
    highQuality_ = true;
}

bool QtPrinter::setFontName(const QString& name) {
    if (name.trimmed().isEmpty())
        return false;
    font_.setFamily(name);
    return true;
}

bool QtPrinter::setFontSize(double points) {
    if (!(points > 0 && points <= 2048))
        return false;
    font_.setPointSizeF(points);
    return true;
}

bool QtPrinter::setFontBold(bool on) {
    font_.setBold(on);
    return true;
}

bool QtPrinter::setFontItalic(bool on) {
    font_.setItalic(on);
    return true;
}

bool QtPrinter::setFontUnderline(bool on) {
    font_.setUnderline(on);
    return true;
}

bool QtPrinter::setFontStrikeout(bool on) {
    font_.setStrikeOut(on);
    return true;
}

bool QtPrinter::setTextColor(const QColor& color) {
    if (!color.isValid())
        return false;
    color_ = color;
    return true;
}

FontChoice QtPrinter::currentFont() const {
    return {font_.family(),    font_.pointSizeF(), font_.bold(), font_.italic(),
            font_.underline(), font_.strikeOut(),  color_};
}

void QtPrinter::printLine(const QString& text) {
    if (!document_)
        startDocument();
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    for (const QString& line : text.split(lineBreak)) {
        if (!document_->failure.isEmpty())
            return;
        printOneLine(line);
    }
}

PrintOutcome QtPrinter::endDocument() {
    if (!document_)
        return {}; // nothing was printed, so there is nothing to send
    const std::unique_ptr<Document> document = std::move(document_);
    if (!document->failure.isEmpty())
        return {false, document->failure};
    const bool ended = document->painter.end();
    if (!ended || document->printer->printerState() == QPrinter::Error ||
        (!document->pdfPath.isEmpty() && document->pdfFile.size() == 0))
        return {false, cannotPrintMessage(*document)};
    if (!document->pdfPath.isEmpty()) {
        const QString where = destination_ == Destination::PdfFile
                                  ? QStringLiteral("The printout was saved as the PDF file\n%1")
                                  : QStringLiteral("No printer is set up on this computer, so the printout was saved "
                                                   "as the PDF file\n%1");
        return {true, where.arg(document->pdfPath)};
    }
    // The spooler takes the job even when the printer cannot print it; say so rather than let it wait unseen. The
    // job is queued, so this is no failure: printing again would only print it twice.
    const QString printerName = document->printer->printerName();
    if (QPrinterInfo::printerInfo(printerName).state() == QPrinter::Error)
        return {true, QStringLiteral("The printout was sent to the printer \"%1\", but the printer reports a fault: "
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

bool QtPrinter::startDocument() {
    document_ = std::make_unique<Document>();
    Document& document = *document_;
    const QPrinter::PrinterMode mode = highQuality_ ? QPrinter::HighResolution : QPrinter::ScreenResolution;
    const QPrinterInfo target =
        destination_ == Destination::DefaultPrinter ? QPrinterInfo::defaultPrinter() : QPrinterInfo();
    if (!target.isNull()) {
        document.printer = std::make_unique<QPrinter>(target, mode);
    } else {
        document.failure = createPdfFile(document);
        if (!document.failure.isEmpty())
            return false;
        document.printer = std::make_unique<QPrinter>(mode);
        document.printer->setOutputFormat(QPrinter::PdfFormat);
        // Qt writes to a file it opens by name. The descriptor's own name opens the very file created above, so
        // nothing put under the file's name in between can receive the printout.
        document.printer->setOutputFileName(QStringLiteral("/proc/self/fd/%1").arg(document.pdfFile.handle()));
        document.printer->setPageMargins(kPdfMarginsMm, QPageLayout::Millimeter);
    }
    document.printer->setDocName(QStringLiteral("Quillbox"));
    if (!document.painter.begin(document.printer.get())) {
        document.failure = cannotPrintMessage(document);
        return false;
    }
    clipToPage(document.painter, *document.printer);
    document.x = twipsToDevice(startXTwips_, *document.printer);
    document.y = twipsToDevice(startYTwips_, *document.printer);
    return true;
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
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            document.pdfPath = path;
            if (document.pdfFile.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle))
                return {};
            ::close(fd);
            return cannotPrintMessage(document);
        }
        if (errno != EEXIST)
            return QStringLiteral("There is no printer, and Quillbox could not create the PDF file %1 (%2), so "
                                  "nothing was printed.")
                .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    }
}

void QtPrinter::printOneLine(const QString& line) {
    Document& document = *document_;
    QPrinter& printer = *document.printer;
    const QFontMetricsF metrics(font_, &printer);
    // A line that does not fit below the last one starts a new page; the first line of a page always prints.
    if (document.y > 0 && document.y + metrics.height() > printer.height()) {
        if (!printer.newPage()) {
            document.failure = cannotPrintMessage(document);
            return;
        }
        clipToPage(document.painter, printer);
        document.y = 0;
    }
    document.painter.setFont(font_);
    document.painter.setPen(color_);
    document.painter.drawText(QPointF(document.x, document.y + metrics.ascent()),
                              visiblePart(line, metrics, printer.width() - document.x));
    document.x = 0;
    document.y += metrics.lineSpacing();
}

} // namespace qb::app
