#include "tblview/ui/main_frame.h"

#include "common/qt_text.h"
#include "common/settings.h"
#include "common/ui/file_dialog.h"
#include "common/ui/message_box.h"
#include "platform/file_system.h"
#include "tblview/ui/about_dlg.h"
#include "tblview/ui/find_bar.h"
#include "tblview/ui/gridlens_app.h"
#include "tblview/ui/gridlens_doc.h"
#include "tblview/ui/gridlens_view.h"
#include "tblview/ui/left_view.h"
#include "tblview/ui/print_dialogs.h"
#include "xplook/xp_menu.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QProgressBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

namespace gridlens {

namespace {
constexpr int kTreeWidth = 180;
const char* const kVersionPane = "V2.0 Beta 01 (Build 101)";
QString programTitle()
{
    return QString::fromLatin1(kProgramTitle);
}

// Menu command ids: 0 is a separator to the menu, so the table's ids move up one.
int MenuIdOf(CommandId id)
{
    return static_cast<int>(id) + 1;
}

// Puts the menu bar in the XP or the classic look (DisableXPMenuStyle), with
// the toolbar's pictures, and returns its File menu.
QMenu* ApplyXpMenu(CMainFrame& frame)
{
    std::vector<qm::xp::MenuTemplateItem> bar;
    for (const Command& c : Commands()) {
        if (!c.menu)
            continue;
        auto top = std::find_if(bar.begin(), bar.end(), [&c](const qm::xp::MenuTemplateItem& t) {
            return t.text == c.menu;
        });
        if (top == bar.end())
            top = bar.insert(bar.end(), {c.menu, 0, true, false, false, {}, nullptr});
        if (c.separatorBefore)
            top->items.push_back({});
        top->items.push_back({c.text,
                              MenuIdOf(c.id),
                              false,
                              frame.action(c.id)->isCheckable(),
                              false,
                              {},
                              frame.action(c.id)});
    }
    auto* menu = new qm::xp::XpMenu(qm::xp::ReadXpLook(CMainFrame::SettingsKey()), &frame);
    menu->LoadMenu(bar, &frame);
    qm::xp::ToolbarPictures pictures{{}, menu->cell(), {}};
    std::vector<QIcon> icons;
    for (const ToolbarSlot& slot : ToolbarLayout()) {
        pictures.buttons.push_back(slot.isSeparator ? 0 : MenuIdOf(slot.id));
        if (!slot.isSeparator)
            icons.push_back(PictureIcon(CommandOf(slot.id).picture));
    }
    pictures.strip = qm::xp::MakePictureStrip(icons, menu->cell());
    menu->LoadToolbar(pictures);
    frame.setMenuBar(menu->menuBar());
    return menu->dropDown(QStringLiteral("&File"));
}
} // namespace

CMainFrame::CMainFrame(CGRIDLENS32LApp& app) : m_app(app)
{
    setObjectName(QStringLiteral("mainFrame"));
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_left = new CLeftView(m_splitter);
    m_view = new CGRIDLENS32LView(m_splitter);
    m_splitter->addWidget(m_left);
    m_splitter->addWidget(m_view);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setChildrenCollapsible(false);
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_splitter, 1);
    m_findBar = new FindBar(central);
    column->addWidget(m_findBar);
    setCentralWidget(central);

    createActions();
    createMenus();
    createToolBar();
    createStatusBar();

    // Width min(screen, 780), height min(screen, 500), centred.
    const QRect screen = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->geometry()
                             : QRect(0, 0, 1024, 768);
    const int w = std::min(screen.width(), 780);
    const int h = std::min(screen.height(), 500);
    setGeometry(screen.x() + (screen.width() - w) / 2, screen.y() + (screen.height() - h) / 2, w,
                h);
    m_splitter->setSizes({kTreeWidth, std::max(1, w - kTreeWidth)});
    setAcceptDrops(true);

    connect(m_app.document(), &CGRIDLENS32LDoc::documentChanged, this,
            &CMainFrame::onDocumentChanged);
    connect(m_app.document(), &CGRIDLENS32LDoc::loadProgress, this, &CMainFrame::onLoadProgress);
    connect(m_left, &CLeftView::anchorChosen, this, [this](int index) {
        m_view->Navigate(m_app.TempPagePath + "#" + std::to_string(index));
    });
    connect(m_findBar, &FindBar::findRequested, this, &CMainFrame::OnFindNext);
    connect(m_findBar, &FindBar::searchChanged, this, &CMainFrame::onSearchChanged);
    connect(m_findBar, &FindBar::closed, this, [this] {
        m_view->setFindHighlight({}, {});
        m_view->setFocus(Qt::ShortcutFocusReason);
    });
    const bool wrap =
        qm::ReadRegDword(qm::HKEY_CURRENT_USER, SettingsKey(), "WrapLongLines", 0) != 0;
    action(CommandId::ViewWrap)->setChecked(wrap);
    m_view->setWrapLongLines(wrap);
    refreshRecentFiles();
    onDocumentChanged();
}

CMainFrame::~CMainFrame() = default;

std::string CMainFrame::SettingsKey()
{
    return std::string(kProfileKey) + "\\Settings";
}

QAction* CMainFrame::action(CommandId id) const
{
    const auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

QLabel* CMainFrame::statusPane(int index) const
{
    return index >= 0 && index < 3 ? m_panes[index] : nullptr;
}

void CMainFrame::createActions()
{
    for (const Command& c : Commands()) {
        auto* a = new QAction(MenuTextOf(c), this);
        a->setIcon(PictureIcon(c.picture));
        if (c.toolbarText)
            a->setIconText(QString::fromLatin1(c.toolbarText));
        a->setStatusTip(QString::fromLatin1(c.prompt));
        if (c.tip)
            a->setToolTip(QString::fromLatin1(c.tip));
        const QString key = KeyOf(c);
        if (!key.isEmpty())
            a->setShortcut(QKeySequence(key));
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a); // keys work whether or not the command is on a menu
        m_actions[c.id] = a;
    }
    connect(action(CommandId::FileOpen), &QAction::triggered, this, &CMainFrame::OnFileOpen);
    connect(action(CommandId::FileExport), &QAction::triggered, this, &CMainFrame::OnFileExport);
    connect(action(CommandId::FilePrint), &QAction::triggered, this, &CMainFrame::OnFilePrint);
    connect(action(CommandId::FilePrintSetup), &QAction::triggered, this,
            &CMainFrame::OnFilePrintSetup);
    connect(action(CommandId::AppExit), &QAction::triggered, this, &QWidget::close);
    connect(action(CommandId::AppAbout), &QAction::triggered, this, &CMainFrame::OnAppAbout);
    connect(action(CommandId::FileNew), &QAction::triggered, this, &CMainFrame::OnFileNew);
    connect(action(CommandId::FileSave), &QAction::triggered, this, &CMainFrame::OnFileSave);
    connect(action(CommandId::NextPane), &QAction::triggered, this, [this] { OnNextPane(false); });
    connect(action(CommandId::EditFind), &QAction::triggered, this, &CMainFrame::OnEditFind);
    connect(action(CommandId::EditFindNext), &QAction::triggered, this,
            [this] { OnFindNext(false); });
    connect(action(CommandId::EditFindPrevious), &QAction::triggered, this,
            [this] { OnFindNext(true); });
    action(CommandId::ViewWrap)->setCheckable(true);
    connect(action(CommandId::ViewWrap), &QAction::toggled, this, &CMainFrame::OnViewWrap);
    connect(action(CommandId::PrevPane), &QAction::triggered, this, [this] { OnNextPane(true); });
    // The seventh toolbar button has no handler, so it always shows disabled.
    action(CommandId::ContextHelp)->setEnabled(false);
    action(CommandId::FileMru)->setEnabled(false);
}

void CMainFrame::createMenus()
{
    std::map<QString, QMenu*> menus;
    for (const Command& c : Commands()) {
        if (!c.menu)
            continue;
        const QString title = QString::fromLatin1(c.menu);
        QMenu*& menu = menus[title];
        if (!menu)
            menu = menuBar()->addMenu(title);
        if (c.separatorBefore)
            menu->addSeparator();
        QAction* a = action(c.id);
        if (!KeyOf(c).isEmpty())
            a->setText(MenuTextOf(c) + QLatin1Char('\t') + KeyOf(c));
        menu->addAction(a);
    }
    m_fileMenu = menus[QStringLiteral("&File")];
    m_mruPlaceholder = action(CommandId::FileMru);
    m_fileMenu = ApplyXpMenu(*this);
}

void CMainFrame::createToolBar()
{
    m_toolBar = addToolBar(QStringLiteral("Main toolbar"));
    m_toolBar->setObjectName(QStringLiteral("mainToolBar"));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toolBar->setIconSize(QSize(16, 16));
    for (const ToolbarSlot& slot : ToolbarLayout()) {
        if (slot.isSeparator)
            m_toolBar->addSeparator();
        else
            m_toolBar->addAction(action(slot.id));
    }
}

void CMainFrame::createStatusBar()
{
    QStatusBar* bar = statusBar();
    for (int i = 1; i < 3; ++i) {
        m_panes[i] = new QLabel(i == 1 ? QStringLiteral(" ") : QString::fromLatin1(kVersionPane));
        m_panes[i]->setMinimumWidth(150);
        m_panes[i]->setFrameShape(QFrame::StyledPanel);
        m_panes[i]->setFrameShadow(QFrame::Sunken);
        // Pane 0 (the prompts) takes what is left: a stretching pane 1 would
        // squeeze it away in Qt's status bar.
        bar->addPermanentWidget(m_panes[i]);
    }
    // Pane 0 shows the prompts, and "Ready" when there is none.
    connect(bar, &QStatusBar::messageChanged, bar, [this, bar](const QString& text) {
        if (text.isEmpty() && !m_busy)
            bar->showMessage(QStringLiteral("Ready"));
    });
    // Shown while a table is converted.
    m_progress = new QProgressBar(bar);
    m_progress->setObjectName(QStringLiteral("loadProgress"));
    m_progress->setRange(0, 100);
    m_progress->setMaximumWidth(150);
    m_progress->hide();
    bar->addWidget(m_progress);
    bar->showMessage(QStringLiteral("Ready"));
}

void CMainFrame::onDocumentChanged()
{
    CGRIDLENS32LDoc* doc = m_app.document();
    // Reading a big page into the view takes a moment too.
    if (!m_busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    setWindowTitle(programTitle() + QStringLiteral(" - ") + doc->GetTitle());
    action(CommandId::FileExport)->setEnabled(!doc->pathBytes().empty());
    m_left->Fill(doc->anchors());
    if (!m_view->Navigate(m_app.TempPagePath))
        m_view->showEmpty();
    m_matchCountValid = false;
    if (m_findBar->isVisible())
        m_findBar->setStatus(QString(), false);
    if (m_busy)
        endBusy();
    else
        QApplication::restoreOverrideCursor();
    m_view->setFocus();
}

void CMainFrame::onLoadProgress(int percent)
{
    if (!m_busy) {
        m_busy = true;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        statusBar()->showMessage(
            QStringLiteral("Converting %1...").arg(m_app.document()->GetTitle()));
        m_progress->show();
        // A load that fails ends without documentChanged.
        connect(m_app.document(), &CGRIDLENS32LDoc::loadFinished, this, &CMainFrame::endBusy,
                Qt::SingleShotConnection);
    }
    m_progress->setValue(percent);
    // Paint the bar; the user's input waits until the load is done.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CMainFrame::endBusy()
{
    if (!m_busy)
        return;
    m_busy = false;
    m_progress->hide();
    statusBar()->showMessage(QStringLiteral("Ready"));
    QApplication::restoreOverrideCursor();
}

void CMainFrame::refreshRecentFiles()
{
    for (QAction* a : m_mruActions) {
        m_fileMenu->removeAction(a);
        a->deleteLater();
    }
    m_mruActions.clear();
    const std::vector<std::string>& files = m_app.recentFiles().entries();
    m_mruPlaceholder->setVisible(files.empty());
    for (int i = 0; i < int(files.size()); ++i) {
        QString shown = qm::DisplayText(files[size_t(i)]);
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        auto* a = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown), this);
        a->setStatusTip(QString::fromLatin1(CommandOf(CommandId::FileMru).prompt));
        connect(a, &QAction::triggered, this, [this, i] { OnOpenRecentFile(i); });
        m_fileMenu->insertAction(m_mruPlaceholder, a);
        m_mruActions.push_back(a);
    }
}

void CMainFrame::OnFileOpen()
{
    const QString path = qm::ui::FileDialog::getOpenFileName(
        this, QStringLiteral("Open"), QString(),
        QStringLiteral("TBL table files (*.TBL *.tbl);;All Files (*.*)"));
    if (!path.isEmpty())
        m_app.OpenDocumentFile(path);
}

void CMainFrame::OnOpenRecentFile(int index)
{
    const std::vector<std::string> files = m_app.recentFiles().entries();
    if (index < 0 || size_t(index) >= files.size())
        return;
    // As the framework does: an entry that no longer opens leaves the list.
    if (!m_app.OpenDocumentFile(files[size_t(index)])) {
        m_app.recentFiles().Remove(index);
        refreshRecentFiles();
    }
}

QString CMainFrame::ExportNameFor(const QString& title)
{
    return (title.size() > 4 ? title.left(title.size() - 4) : QString()) + QStringLiteral(".html");
}

void CMainFrame::OnFileExport()
{
    CGRIDLENS32LDoc* doc = m_app.document();
    if (doc->GetPathName().isEmpty())
        return;
    const QString proposed = ExportNameFor(doc->GetTitle());
    QString target;
    for (;;) {
        target =
            qm::ui::FileDialog::getSaveFileName(this, QStringLiteral("Export to HTML"), proposed,
                                                QStringLiteral("HTML files (*.html)"));
        if (target.isEmpty())
            return;
        if (QFileInfo(target).suffix().isEmpty())
            target += QStringLiteral(".html");
        const QFileInfo info(target);
        if (!(info.exists() && !info.isWritable()))
            break;
        // A read-only target is refused, and the user may choose again.
        qm::ui::MessageBox::show(this, QMessageBox::Warning, QStringLiteral("Export to HTML"),
                                 QDir::toNativeSeparators(target) +
                                     QStringLiteral("\nThis file is set to read-only.\nTry again "
                                                    "with a different file name."));
    }

    // Byte for byte this window's page; the old file is replaced only once
    // the new one is complete.
    std::string reason;
    if (!qm::fs::CopyFileAtomic(doc->pagePath(), QFile::encodeName(target).toStdString(), {},
                                &reason)) {
        qm::ui::MessageBox::show(
            this, QMessageBox::Warning, programTitle(),
            QStringLiteral("The page could not be exported to\n\n%1\n\n%2")
                .arg(QDir::toNativeSeparators(target), qm::DisplayText(reason)));
    }
}

bool CMainFrame::PrintOn(QPrinter& printer, const QString& requestedName)
{
    printer.setDocName(m_app.document()->GetTitle());
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = m_view->printTo(printer);
    QApplication::restoreOverrideCursor();
    if (!ok) {
        // The printer asked for by name may not exist, and then Qt's printer has no name.
        const QString name = !printer.outputFileName().isEmpty() ? printer.outputFileName()
                             : !requestedName.isEmpty()          ? requestedName
                                                                 : printer.printerName();
        qm::ui::MessageBox::show(
            this, QMessageBox::Warning, programTitle(),
            QStringLiteral("The page could not be printed on \"%1\".").arg(name));
    }
    return ok;
}

void CMainFrame::OnFilePrint()
{
    QPrinter& printer = m_app.printer();
    // The dialog's print-to-file name comes from the document's name.
    printer.setDocName(m_app.document()->GetTitle());
    if (PrintDialogs::print(printer, this))
        PrintOn(printer);
}

void CMainFrame::OnFilePrintSetup()
{
    PrintDialogs::pageSetup(m_app.printer(), this);
}

void CMainFrame::OnFileNew()
{
    m_app.document()->OnNewDocument();
}

void CMainFrame::OnFileSave()
{
    // The viewer never writes a table: saving does nothing.
}

void CMainFrame::OnAppAbout()
{
    CAboutDlg dlg(this);
    dlg.exec();
}

void CMainFrame::OnViewWrap(bool wrap)
{
    m_view->setWrapLongLines(wrap);
    qm::WriteRegDword(qm::HKEY_CURRENT_USER, SettingsKey(), "WrapLongLines", wrap ? 1 : 0);
}

void CMainFrame::OnEditFind()
{
    m_findBar->open();
    onSearchChanged();
}

void CMainFrame::onSearchChanged()
{
    m_matchCountValid = false;
    m_findBar->setStatus(QString(), false);
    m_view->setFindHighlight(
        m_findBar->isVisible() && !m_findBar->inTreeNames() ? m_findBar->needle() : std::string(),
        m_findBar->options());
}

void CMainFrame::OnFindNext(bool backward)
{
    if (m_findBar->needle().empty()) {
        OnEditFind();
        return;
    }
    if (!m_findBar->isVisible()) {
        m_findBar->show();
        onSearchChanged();
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (m_findBar->inTreeNames())
        findInTree(backward);
    else
        findInPage(backward);
    QApplication::restoreOverrideCursor();
}

void CMainFrame::findInPage(bool backward)
{
    const std::string needle = m_findBar->needle();
    const FindOptions options = m_findBar->options();
    const PageIndex::SearchText& search = m_view->page().index().searchText();
    const size_t from = m_view->searchFrom(backward);
    size_t at = FindText(search.text, needle, from, options, backward);
    bool wrapped = false;
    if (at == std::string::npos) {
        // Round the end, as browsers do.
        at = FindText(search.text, needle, backward ? search.text.size() : 0, options, backward);
        wrapped = at != std::string::npos;
    }
    if (at == std::string::npos) {
        m_findBar->setStatus(QStringLiteral("Not found"), true);
        return;
    }
    if (!m_matchCountValid) {
        m_matchCount = CountMatches(search.text, needle, options);
        m_matchCountValid = true;
    }
    const int line = search.lineOf(at);
    m_view->showMatch(line, at - search.lineStarts[size_t(line)], needle.size());
    // The tree follows: the section or entry the match stands in.
    m_left->followAnchor(m_view->page().index().anchorAtOrBefore(line));
    QString status = m_matchCount == 1 ? QStringLiteral("1 match")
                                       : QStringLiteral("%1 matches").arg(m_matchCount);
    if (wrapped)
        status += backward ? QStringLiteral(", continued from the bottom")
                           : QStringLiteral(", continued from the top");
    m_findBar->setStatus(status, false);
}

void CMainFrame::findInTree(bool backward)
{
    const int current = m_left->selectedAnchor();
    const int start = current >= 0 ? current : (backward ? 0 : -1);
    const int found = m_left->findName(m_findBar->needle(), m_findBar->options(), start, backward);
    if (found < 0) {
        m_findBar->setStatus(QStringLiteral("Not found in the tree"), true);
        return;
    }
    // Choosing the item shows its place in the page, as a click does.
    m_left->setCurrentItem(m_left->itemOfAnchor(found));
    m_left->scrollToItem(m_left->itemOfAnchor(found));
    m_findBar->setStatus(
        found == current ? QStringLiteral("The only name that matches") : QString(), false);
}

void CMainFrame::OnNextPane(bool previous)
{
    Q_UNUSED(previous); // with two panes, next and previous are the same pane
    if (m_left->hasFocus())
        m_view->setFocus(Qt::ShortcutFocusReason);
    else
        m_left->setFocus(Qt::ShortcutFocusReason);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    // Each dropped file is opened in turn, as the framework does; the last one stays.
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    activateWindow();
    for (const QUrl& url : urls)
        if (url.isLocalFile())
            m_app.OpenDocumentFile(QFile::encodeName(url.toLocalFile()).toStdString());
}

} // namespace gridlens
