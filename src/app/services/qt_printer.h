#pragma once
// The real printer: the system's default printer through Qt's print support, or a PDF file when there is none.

#include <QColor>
#include <QFont>
#include <QString>

#include "app/services/printer.h"

namespace qb::platform {
class Clock;
} // namespace qb::platform

namespace qb::app {

/** Prints through Qt: one document per printout, at high resolution, laid out by the print layer. A line wider than
 *  the page is cut off at the right margin. The font and colour stay as they were set from one document to the
 *  next. */
class QtPrinter final : public Printer {
public:
    /** Where a document goes. */
    enum class Destination {
        DefaultPrinter, ///< the system's default printer; a PDF file when the system has no printer
        PdfFile,        ///< always a PDF file
    };

    /** PDF files go into printoutsFolder (created when needed), named after the clock's date and time. */
    QtPrinter(QString printoutsFolder, const platform::Clock& clock,
              Destination destination = Destination::DefaultPrinter);
    ~QtPrinter() override;

    FontChoice font() const override;
    bool setFont(const FontChoice& choice) override;
    PrintResult print(const print::PrintedItems& items, print::TwipsPoint firstLine) override;

private:
    struct Document;

    /** Starts a document on the printer or in a new PDF file; why not, or empty text. */
    QString startDocument(Document& document) const;
    QString createPdfFile(Document& document) const;
    /** Draws the laid-out pages; why they could not all be drawn, or empty text. */
    QString drawPages(Document& document, const std::vector<print::Page>& pages) const;
    PrintResult endDocument(Document& document) const;
    static QString cannotPrintMessage(const Document& document);

    QString printoutsFolder_;
    const platform::Clock& clock_;
    Destination destination_;
    QFont font_;
    QColor color_;
};

} // namespace qb::app
