#include "platform/file_system.h"
#include "setup/ui/setup_app.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QMSetup"));
    return qmsetup::RunQmSetup(qm::fs::ProgramPath());
}
