#pragma once

#include <QString>
#include <functional>

class QPrinter;
class QWidget;

namespace gridlens {

// The print and page setup dialogs, and the printers the viewer prints on,
// behind one seam: tests answer the dialogs in advance and send the output
// of every printer to a PDF file.
class PrintDialogs {
public:
    // The print dialog; true when the user pressed Print.
    static bool print(QPrinter& printer, QWidget* parent);
    // The printer setup dialog; true when accepted.
    static bool pageSetup(QPrinter& printer, QWidget* parent);

    // Makes the printer for the default printer (name empty) or a named one.
    static void preparePrinter(QPrinter& printer, const QString& printerName);

    // Test hooks: the next dialog returns this at once; every prepared or
    // shown printer goes through the override.
    static void setNextAnswer(bool accept);
    // The override learns the printer name asked for ("" for the default one).
    static void setPrinterOverride(std::function<void(QPrinter&, const QString&)> override);
    static int dialogsShown();
};

} // namespace gridlens
