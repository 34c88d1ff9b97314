#include "tblview/ui/gridlens_app.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("GRIDLENS32L"));
    gridlens::CGRIDLENS32LApp app;
    switch (app.InitInstance(QApplication::arguments().mid(1))) {
    case gridlens::CGRIDLENS32LApp::Start::Failed:
        return 1;
    case gridlens::CGRIDLENS32LApp::Start::Done:
        return 0;
    case gridlens::CGRIDLENS32LApp::Start::Run:
        break;
    }
    return qapp.exec();
}
