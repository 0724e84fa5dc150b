#pragma once
// The real printer: the system's default printer through Qt's print support, or a PDF file when there is none.

#include <QColor>
#include <QFont>
#include <QString>
#include <memory>

#include "app/services/printer.h"

namespace qb::platform {
class Clock;
} // namespace qb::platform

namespace qb::app {

/** Prints through Qt: one document per printout, started by its first line. Lines start at the left margin and are
 *  never wrapped: a line wider than the page is cut off at the right margin, and a line that does not fit below
 *  the last one goes to the top of a new page. The font and colour stay as they were set from one document to the
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

    void setDrawingSettings(float first, float second) override;
    void setHighQuality() override;
    bool setFontName(const QString& name) override;
    bool setFontSize(double points) override;
    bool setFontBold(bool on) override;
    bool setFontItalic(bool on) override;
    bool setFontUnderline(bool on) override;
    bool setFontStrikeout(bool on) override;
    bool setTextColor(const QColor& color) override;
    FontChoice currentFont() const override;
    void printLine(const QString& text) override;
    PrintOutcome endDocument() override;

    /** The font the next line is printed in. */
    const QFont& font() const { return font_; }
    /** The colour the next line is printed in. */
    const QColor& textColor() const { return color_; }

private:
    struct Document;

    bool startDocument();
    QString createPdfFile(Document& document) const;
    static QString cannotPrintMessage(const Document& document);
    void printOneLine(const QString& line);

    QString printoutsFolder_;
    const platform::Clock& clock_;
    Destination destination_;
    QFont font_;
    QColor color_;
    float startXTwips_ = 0;
    float startYTwips_ = 0;
    bool highQuality_ = false;
    std::unique_ptr<Document> document_;
};

} // namespace qb::app
