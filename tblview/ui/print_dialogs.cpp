#include "tblview/ui/print_dialogs.h"

#include "common/ui/answer_queue.h"

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

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
    return dialog.exec() == QDialog::Accepted;
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
