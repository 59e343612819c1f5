// Printing of the document's parts: the data table and the column
// statistics as text tables, the results report with its styles, the graph
// as a picture, and the notes. Every function paints onto a QPrinter the
// caller sets up (a real printer, the preview, or a PDF file), so printing
// works without a display. Each page has a header line with the document's
// name, the part and the page number; the body uses the viewer's
// fixed-pitch font.
#pragma once

#include <QPixmap>
#include <QString>

#include <functional>
#include <string>

#include "data/io_error.h"

class QPrinter;
class QWidget;

namespace vextal {
struct DataDocument;
struct TextTable;
}  // namespace vextal

enum class PrintPart { Data, Stats, Results, Graph, Notes };

/// File > Print's caption for a part: "Print Data", "Print Stats",
/// "Print Results", "Print Graph"; "Print" for the notes.
QString printPartCaption(PrintPart part);

/// What a part is printed from.
struct PrintSource {
    const vextal::DataDocument* document = nullptr;  // data, statistics, report and notes
    QString title;                                   // the document's name, for the page header
    QWidget* graph = nullptr;                        // the graph widget, drawn scaled to the page
    QPixmap graphPicture;                            // or a picture of the graph
};

/// Prints one part. False when the printer could not start or the part has
/// nothing to print from (no document, no graph).
bool printPart(QPrinter& printer, PrintPart part, const PrintSource& source);

/// The report with its bold, underlined and italic runs; a report wider than
/// the page is printed in a smaller size of the font.
bool printReport(QPrinter& printer, const std::string& withMarkers, const QString& title);
/// Plain text (the notes); lines wider than the page wrap, at a blank where
/// there is one.
bool printPlainText(QPrinter& printer, const QString& text, const QString& title, const QString& partName);
/// A text table over as many pages and bands of columns as it needs.
bool printTable(QPrinter& printer, const vextal::TextTable& table, const QString& title, const QString& partName);
/// A widget drawn into the page, scaled to fit and keeping its proportions.
bool printWidget(QPrinter& printer, QWidget* widget, const QString& title);
/// A picture scaled into the page, keeping its proportions.
bool printPicture(QPrinter& printer, const QPixmap& picture, const QString& title);

/// Paints onto the printer it is given; false when it could not.
using PrintFunction = std::function<bool(QPrinter&)>;

/// The printer the program prints with; Printer Setup and the print dialogs
/// change its settings for the following jobs.
QPrinter& programPrinter();
/// File > Printer Setup: the page set-up dialog of the program's printer.
void printerSetup(QWidget* parent);
/// The preview window, whose print button prints; returns when it closes.
void showPrintPreview(QWidget* parent, const PrintFunction& print, const QString& windowTitle);
/// The print dialog, then the job. A job that fails is reported through
/// `sink`; false when cancelled or failed.
bool printWithDialog(QWidget* parent, const PrintFunction& print, const vextal::MessageSink& sink);

/// Text shown when a printer does not start.
inline constexpr const char* PrintFailedMessage = "The printer could not be started.";
