// Calls About in the tools library from a process linked exactly as the
// launcher is, then says whether the library is still mapped. The test
// program itself links more (Qt Network), which hides what pins the library
// in the real launcher.
//   qm_tools_unload_probe LIBRARY  -> 0 unloaded, 1 still mapped, 2 not called
#include "common/tools_library.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s LIBRARY\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    qm::SetToolsLibraryPath(argv[1]);
    // Closes the About box as soon as it shows.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->accept();
    });
    answer.start(20);
    if (!qm::CallToolsLibrary("DoAbout"))
        return 2;
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return 2;
    const QByteArray mapped = maps.readAll();
    const QByteArray name = QFile::encodeName(QString::fromLocal8Bit(argv[1]));
    if (mapped.contains(name.mid(name.lastIndexOf('/'))))
        return 1;
    return 0;
}
