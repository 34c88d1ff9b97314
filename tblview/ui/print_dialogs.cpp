#include "tblview/ui/print_dialogs.h"

#include "common/ui/answer_queue.h"

#include <QDir>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>

namespace gridlens {

namespace {
qm::ui::AnswerQueue<bool>& answers()
{
    static qm::ui::AnswerQueue<bool> q;
    return q;
}
std::function<void(QPrinter&, const QString&)>& override()
{
    static std::function<void(QPrinter&, const QString&)> f;
    return f;
}
std::function<void(QPrintDialog&)>& dialogHook()
{
    static std::function<void(QPrintDialog&)> f;
    return f;
}
int& shown()
{
    static int n = 0;
    return n;
}
} // namespace

bool PrintDialogs::print(QPrinter& printer, QWidget* parent)
{
    ++shown();
    if (override())
        override()(printer, printer.printerName());
    if (const auto answer = answers().take())
        return *answer;
    QPrintDialog dialog(&printer, parent);
    // Only what printTo honours is offered: all pages or a range of them.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    ProposeFileName(dialog, printer);
    if (dialogHook())
        dialogHook()(dialog);
    return dialog.exec() == QDialog::Accepted;
}

// Qt proposes "print.pdf" (or only a folder) for printing to a file; the
// table's own name is what the user wants to find again.
void PrintDialogs::ProposeFileName(QPrintDialog& dialog, const QPrinter& printer)
{
    if (!printer.outputFileName().isEmpty() || printer.docName().isEmpty())
        return;
    auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("filename"));
    if (!field)
        return;
    QString name = printer.docName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        name.truncate(dot);
    QString folder = field->text();
    if (!folder.endsWith(QLatin1Char('/')))
        folder = folder.left(folder.lastIndexOf(QLatin1Char('/')) + 1);
    if (folder.isEmpty())
        folder = QDir::homePath() + QLatin1Char('/');
    field->setText(folder + name + QStringLiteral(".pdf"));
}

bool PrintDialogs::pageSetup(QPrinter& printer, QWidget* parent)
{
    ++shown();
    if (const auto answer = answers().take())
        return *answer;
    QPageSetupDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

void PrintDialogs::preparePrinter(QPrinter& printer, const QString& printerName)
{
    if (!printerName.isEmpty())
        printer.setPrinterName(printerName);
    else if (!QPrinterInfo::defaultPrinterName().isEmpty())
        printer.setPrinterName(QPrinterInfo::defaultPrinterName());
    if (override())
        override()(printer, printerName);
    ApplyDefaultMargins(printer);
}

void PrintDialogs::ApplyDefaultMargins(QPrinter& printer)
{
    // The printer's unprintable area, but never less than 10 mm: a PDF has
    // none, and text to the paper's edge is hard to read and to bind.
    QPageLayout layout = printer.pageLayout();
    layout.setUnits(QPageLayout::Millimeter);
    const QMarginsF least = layout.minimumMargins();
    const QMarginsF margins(std::max(least.left(), 10.0), std::max(least.top(), 10.0),
                            std::max(least.right(), 10.0), std::max(least.bottom(), 10.0));
    printer.setPageMargins(margins, QPageLayout::Millimeter);
}

void PrintDialogs::setDialogHook(std::function<void(QPrintDialog&)> hook)
{
    dialogHook() = std::move(hook);
}

void PrintDialogs::setNextAnswer(bool accept)
{
    answers().push(accept);
}
void PrintDialogs::setPrinterOverride(std::function<void(QPrinter&, const QString&)> f)
{
    override() = std::move(f);
}
int PrintDialogs::dialogsShown()
{
    return shown();
}

} // namespace gridlens
