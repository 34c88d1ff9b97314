#pragma once

#include <QString>
#include <functional>

class QPrintDialog;
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

    // Makes the printer for the default printer (name empty) or a named one,
    // with the default margins.
    static void preparePrinter(QPrinter& printer, const QString& printerName);
    // Proposes the document's name with ".pdf" for printing to a file.
    static void ProposeFileName(QPrintDialog& dialog, const QPrinter& printer);
    // Margins of the printer's unprintable area, at least 10 mm each.
    static void ApplyDefaultMargins(QPrinter& printer);

    // Test hooks: the next dialog returns this at once; every prepared or
    // shown printer goes through the override.
    static void setNextAnswer(bool accept);
    // The override learns the printer name asked for ("" for the default one).
    static void setPrinterOverride(std::function<void(QPrinter&, const QString&)> override);
    static int dialogsShown();
    // Sees the real print dialog just before it is shown (no answer queued).
    static void setDialogHook(std::function<void(QPrintDialog&)> hook);
};

} // namespace gridlens
