#include "setup/ui/uninstall_dialog.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("uninstqm"));
    return qmsetup::RunUninstaller();
}
