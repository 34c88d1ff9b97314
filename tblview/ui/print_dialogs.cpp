#include "tblview/ui/print_dialogs.h"

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <deque>

namespace gridlens {

namespace {
std::deque<bool>& answers()
{
    static std::deque<bool> q;
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
bool takeAnswer(bool& out)
{
    if (answers().empty())
        return false;
    out = answers().front();
    answers().pop_front();
    return true;
}
} // namespace

bool PrintDialogs::print(QPrinter& printer, QWidget* parent)
{
    ++shown();
    if (override())
        override()(printer, printer.printerName());
    bool answer = false;
    if (takeAnswer(answer))
        return answer;
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool PrintDialogs::pageSetup(QPrinter& printer, QWidget* parent)
{
    ++shown();
    bool answer = false;
    if (takeAnswer(answer))
        return answer;
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
    answers().push_back(accept);
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
