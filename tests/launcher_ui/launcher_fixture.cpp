#include "launcher_fixture.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTest>
#include <QTimer>

namespace playdeck::test {

CMainFrame* LauncherTest::start(const std::vector<std::string>& arguments)
{
    install(game);
    app = std::make_unique<CPLAYDECK32App>();
    app->setExecutablePath(programPath());
    if (!app->InitInstance(arguments))
        return nullptr;
    frame = app->mainFrame();
    view = frame->view();
    frame->activateWindow();
    if (!QTest::qWaitForWindowActive(frame))
        ADD_FAILURE() << "the main window never became active";
    return frame;
}

std::string LauncherTest::programPath() const
{
    return world.makeDir("bin") + "/playdeck32";
}

void WhenChooserShows(std::function<void(CVppActionDlg&)> act)
{
    // The chooser runs its own modal loop; look for it from inside that loop.
    auto* poll = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, tries, act = std::move(act)] {
        if (auto* dlg = qobject_cast<CVppActionDlg*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(*dlg);
        } else if (++*tries > 1000) {
            poll->stop();
            poll->deleteLater();
        }
    });
    poll->start(5);
}

QStringList LauncherTest::rows() const
{
    QStringList out;
    const LevelListModel* m = view->levelModel();
    for (int r = 0; r < m->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < m->columnCount(); ++c)
            cells << m->text(r, c);
        out << cells.join(QLatin1Char('\t'));
    }
    return out;
}

QStringList LauncherTest::headers() const
{
    QStringList out;
    const LevelListModel* m = view->levelModel();
    for (int c = 0; c < m->columnCount(); ++c)
        out << m->headerData(c, Qt::Horizontal).toString();
    return out;
}

std::vector<int> LauncherTest::widths() const
{
    std::vector<int> out;
    for (int c = 0; c < view->levelModel()->columnCount(); ++c)
        out.push_back(view->horizontalHeader()->sectionSize(c));
    return out;
}

void LauncherTest::select(std::initializer_list<int> rowsToSelect) const
{
    view->selectionModel()->clearSelection();
    for (int r : rowsToSelect)
        view->selectionModel()->select(view->levelModel()->index(r, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (rowsToSelect.size() > 0)
        view->selectionModel()->setCurrentIndex(view->levelModel()->index(*rowsToSelect.begin(), 0),
                                                QItemSelectionModel::NoUpdate);
}

int LauncherTest::rowOf(const QString& firstCells) const
{
    const QStringList all = rows();
    for (int r = 0; r < all.size(); ++r)
        if (all[r].startsWith(firstCells))
            return r;
    ADD_FAILURE() << "no row starts with " << firstCells.toStdString();
    return -1;
}

QStringList ExpectedListing(const char* mode)
{
    QFile f(QStringLiteral(QM_FIXTURES_DIR "/launcher/list-%1.txt").arg(QLatin1String(mode)));
    if (!f.open(QIODevice::ReadOnly))
        return {QStringLiteral("<missing expected file>")};
    QStringList lines = QString::fromLocal8Bit(f.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.pop_back();
    return lines;
}

} // namespace playdeck::test
