#include "vpp/ui/forge_frame.h"

#include "common/qt_text.h"
#include "common/ui/file_dialog.h"
#include "common/ui/message_box.h"
#include "platform/file_system.h"
#include "vpp/names.h"
#include "vpp/ui/entry_model.h"
#include "vpp/ui/progress.h"

#include <QAction>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace packforge {

namespace {

QString Title()
{
    return QString::fromLatin1(kProgramTitle);
}

std::string Bytes(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

} // namespace

CNameDlg::CNameDlg(QWidget* parent, const qm::vpp::PackfileDocument& doc, int index)
    : QDialog(parent), m_doc(doc), m_index(index)
{
    setObjectName(QStringLiteral("nameDialog"));
    setWindowTitle(QStringLiteral("Rename Entry"));
    if (index >= 0 && size_t(index) < doc.items().size())
        m_original = doc.items()[size_t(index)].name;
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("&Name inside the packfile:"), this);
    layout->addWidget(label);
    m_edit = new QLineEdit(qm::DisplayText(m_original), this);
    m_edit->setObjectName(QStringLiteral("name"));
    label->setBuddy(m_edit); // Alt+N, and the & is no longer shown as such
    layout->addWidget(m_edit);
    m_reason = new QLabel(this);
    m_reason->setObjectName(QStringLiteral("reason"));
    m_reason->setWordWrap(true);
    m_reason->setMinimumWidth(360);
    // Room for the longest reason as the user types: a shown dialog does not grow.
    m_reason->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_reason->setMinimumHeight(3 * m_reason->fontMetrics().lineSpacing());
    layout->addWidget(m_reason);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_edit, &QLineEdit::textChanged, this, &CNameDlg::check);
    check();
}

std::string CNameDlg::nameBytes() const
{
    // An untouched name keeps its bytes; a typed one is stored as Windows-1252 where it fits.
    const std::string bytes = qm::BytesFromEdit(m_original, m_edit->text());
    return bytes == m_original ? bytes : qm::vpp::EntryNameForFile(bytes);
}

void CNameDlg::check()
{
    const std::string bytes = nameBytes();
    const std::string fault = m_doc.nameFault(bytes, m_index);
    if (fault.empty()) {
        m_reason->setStyleSheet(QString());
        m_reason->setText(QStringLiteral("%1 of 59 bytes used.").arg(bytes.size()));
    } else {
        m_reason->setStyleSheet(QStringLiteral("color: #b00000"));
        m_reason->setText(QString::fromStdString(fault));
    }
    m_ok->setEnabled(fault.empty());
}

CMainFrame::CMainFrame() : m_recent(std::string(kProfileKey) + "\\Recent File List")
{
    setObjectName(QStringLiteral("packforgeFrame"));
    setWindowIcon(packtools::ProgramIcon(true));
    m_view = new QTreeWidget(this);
    m_view->setObjectName(QStringLiteral("entries"));
    m_view->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Size"), QStringLiteral("Type"),
                             QStringLiteral("From")});
    m_view->setRootIsDecorated(false);
    m_view->setUniformRowHeights(true);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setAllColumnsShowFocus(true);
    m_view->header()->resizeSection(0, 240);
    setCentralWidget(m_view);

    m_commands = packtools::BuildCommands(*this, packtools::ForgeCommands(),
                                          std::string(kProfileKey) + "\\Settings");
    using packtools::CommandId;
    connect(action(CommandId::FileNew), &QAction::triggered, this, &CMainFrame::OnFileNew);
    connect(action(CommandId::FileNewLevel), &QAction::triggered, this,
            &CMainFrame::OnNewLevelPackfile);
    connect(action(CommandId::FileOpen), &QAction::triggered, this, &CMainFrame::OnFileOpen);
    connect(action(CommandId::FileSave), &QAction::triggered, this, &CMainFrame::OnFileSave);
    connect(action(CommandId::FileSaveAs), &QAction::triggered, this, &CMainFrame::OnFileSaveAs);
    connect(action(CommandId::AppExit), &QAction::triggered, this, &QWidget::close);
    connect(action(CommandId::EntryAddFiles), &QAction::triggered, this, &CMainFrame::OnAddFiles);
    connect(action(CommandId::EntryAddFolder), &QAction::triggered, this, &CMainFrame::OnAddFolder);
    connect(action(CommandId::EntryRemove), &QAction::triggered, this, &CMainFrame::OnRemove);
    connect(action(CommandId::EntryRename), &QAction::triggered, this, &CMainFrame::OnRename);
    connect(action(CommandId::EntryReplace), &QAction::triggered, this, &CMainFrame::OnReplace);
    connect(action(CommandId::EntryMoveUp), &QAction::triggered, this, [this] { OnMove(-1); });
    connect(action(CommandId::EntryMoveDown), &QAction::triggered, this, [this] { OnMove(1); });
    connect(action(CommandId::AppAbout), &QAction::triggered, this, [this] {
        qm::ui::MessageBox::show(this, QMessageBox::Information, QStringLiteral("About"),
                                 Title() + QStringLiteral("\nV2.0 (Build 108)"));
    });
    connect(m_view, &QTreeWidget::itemActivated, this, [this] { OnRename(); });
    connect(m_view, &QTreeWidget::itemSelectionChanged, this, [this] {
        const bool one = m_view->selectedItems().size() == 1;
        action(packtools::CommandId::EntryRename)->setEnabled(one);
        action(packtools::CommandId::EntryReplace)->setEnabled(one);
        action(packtools::CommandId::EntryMoveUp)->setEnabled(one);
        action(packtools::CommandId::EntryMoveDown)->setEnabled(one);
        action(packtools::CommandId::EntryRemove)->setEnabled(!m_view->selectedItems().isEmpty());
    });

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("entryCount"));
    statusBar()->addPermanentWidget(m_status);
    setAcceptDrops(true);
    resize(720, 480);
    m_recent.load();
    refreshRecent();
    refresh();
}

QAction* CMainFrame::action(packtools::CommandId id) const
{
    const auto it = m_commands.actions.find(id);
    return it == m_commands.actions.end() ? nullptr : it->second;
}

int CMainFrame::currentIndex() const
{
    const QList<QTreeWidgetItem*> selected = m_view->selectedItems();
    if (selected.size() != 1)
        return -1;
    return m_view->indexOfTopLevelItem(selected.front());
}

void CMainFrame::selectIndex(int index)
{
    m_view->clearSelection();
    if (QTreeWidgetItem* item = m_view->topLevelItem(index)) {
        m_view->setCurrentItem(item);
        item->setSelected(true);
    }
}

QString CMainFrame::documentName() const
{
    const std::string& path = m_doc.path().empty() ? m_proposedPath : m_doc.path();
    return path.empty() ? QStringLiteral("Untitled") : qm::DisplayText(qm::fs::FileNameOf(path));
}

void CMainFrame::refresh(int select)
{
    m_view->clear();
    QList<QTreeWidgetItem*> rows;
    uint64_t total = 0;
    for (const qm::vpp::PackfileDocument::Item& item : m_doc.items()) {
        const uint64_t size = item.source.length();
        total += size;
        auto* row = new QTreeWidgetItem(
            {qm::DisplayText(item.name), packtools::GroupedNumber(size),
             packtools::TypeOfName(item.name),
             item.origin.empty() ? QStringLiteral("(packfile)") : qm::DisplayText(item.origin)});
        row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        rows << row;
    }
    m_view->addTopLevelItems(rows);
    if (select >= 0)
        selectIndex(select);
    m_status->setText(
        QStringLiteral("%1 %2, %3 bytes")
            .arg(m_doc.items().size())
            .arg(m_doc.items().size() == 1 ? QStringLiteral("entry") : QStringLiteral("entries"))
            .arg(packtools::GroupedNumber(total)));
    setWindowTitle(documentName() + (m_doc.modified() ? QStringLiteral("*") : QString()) +
                   QStringLiteral(" - ") + Title());
    emit m_view->itemSelectionChanged();
}

void CMainFrame::refreshRecent()
{
    packtools::FillRecentMenu(m_commands.fileMenu, action(packtools::CommandId::FileMru),
                              m_recent.entries(), &m_recentActions, [this](int i) {
                                  const std::vector<std::string> files = m_recent.entries();
                                  if (size_t(i) < files.size() && MaybeSave())
                                      OpenPackfile(files[size_t(i)]);
                              });
}

bool CMainFrame::OpenPackfile(const std::string& path)
{
    qm::vpp::PackfileDocument doc;
    std::string error;
    if (!doc.open(path, &error)) {
        qm::ui::MessageBox::show(this, QMessageBox::Warning, Title(),
                                 qm::DisplayText(path) + QStringLiteral("\n\n") +
                                     QString::fromStdString(error));
        return false;
    }
    m_doc = std::move(doc);
    m_proposedPath.clear();
    m_recent.add(path);
    refreshRecent();
    refresh(m_doc.items().empty() ? -1 : 0);
    if (!m_doc.warnings().empty()) {
        QString text = QStringLiteral("The packfile opened, but:\n");
        for (const std::string& w : m_doc.warnings())
            text += QStringLiteral("\n- ") + QString::fromStdString(w);
        qm::ui::MessageBox::show(this, QMessageBox::Information, Title(), text);
    }
    return true;
}

void CMainFrame::OnFileNew()
{
    if (!MaybeSave())
        return;
    m_doc.clear();
    m_proposedPath.clear();
    refresh();
}

void CMainFrame::OnNewLevelPackfile()
{
    if (!MaybeSave())
        return;
    const QString rfl =
        qm::ui::FileDialog::getOpenFileName(this, QStringLiteral("Choose the Level"), QString(),
                                            QStringLiteral("Levels (*.rfl);;All files (*)"));
    if (rfl.isEmpty())
        return;
    const std::string rflPath = Bytes(rfl);
    m_doc.clear();
    m_proposedPath = qm::fs::FolderOf(rflPath) + qm::vpp::LevelPackfileNameFor(rflPath);
    AddPaths({rflPath}, false);
    const QString textures = qm::ui::FileDialog::getExistingDirectory(
        this, QStringLiteral("Folder of the Level's Textures (Cancel: none)"),
        qm::DisplayText(qm::fs::FolderOf(rflPath)));
    if (!textures.isEmpty()) {
        std::vector<std::string> files;
        for (const std::string& f : qm::vpp::PackfileDocument::FilesIn(Bytes(textures), false)) {
            const std::string name = qm::vpp::FoldName(qm::fs::FileNameOf(f));
            // The level itself is in already; packfiles never go inside packfiles.
            if (f != rflPath && !name.ends_with(".vpp") && !name.ends_with(".rfl"))
                files.push_back(f);
        }
        AddPaths(files, false);
    }
    refresh(0);
}

void CMainFrame::OnFileOpen()
{
    if (!MaybeSave())
        return;
    const QString file = qm::ui::FileDialog::getOpenFileName(
        this, QStringLiteral("Open"), qm::DisplayText(qm::fs::FolderOf(m_doc.path())),
        QStringLiteral("Packfiles (*.vpp);;All files (*)"));
    if (!file.isEmpty())
        OpenPackfile(Bytes(file));
}

bool CMainFrame::OnFileSave()
{
    if (m_doc.path().empty())
        return OnFileSaveAs();
    return SaveTo(m_doc.path());
}

bool CMainFrame::OnFileSaveAs()
{
    const std::string proposed = !m_doc.path().empty() ? m_doc.path() : m_proposedPath;
    const QString file = qm::ui::FileDialog::getSaveFileName(
        this, QStringLiteral("Save As"), qm::DisplayText(proposed),
        QStringLiteral("Packfiles (*.vpp);;All files (*)"));
    if (file.isEmpty())
        return false;
    return SaveTo(Bytes(file));
}

bool CMainFrame::SaveTo(const std::string& path)
{
    const std::string listing = qm::vpp::LevelListingWarning(m_doc.names(), path);
    qm::vpp::WriteResult result;
    {
        packtools::ProgressRunner progress(this, QStringLiteral("Saving..."));
        result = m_doc.save(path, progress.callback());
    }
    if (!result.ok) {
        if (!result.cancelled)
            qm::ui::MessageBox::show(this, QMessageBox::Warning, Title(),
                                     QStringLiteral("The packfile was not saved.\n\n") +
                                         QString::fromStdString(result.error));
        refresh(currentIndex());
        return false;
    }
    std::vector<std::string> notes = result.warnings;
    if (!listing.empty())
        notes.push_back(listing);
    if (!notes.empty()) {
        QString text = QStringLiteral("The packfile was saved.\n");
        for (const std::string& n : notes)
            text += QStringLiteral("\n- ") + QString::fromStdString(n);
        qm::ui::MessageBox::show(this, QMessageBox::Warning, Title(), text);
    }
    m_proposedPath.clear();
    m_recent.add(path);
    refreshRecent();
    refresh(currentIndex());
    statusBar()->showMessage(QStringLiteral("Saved ") + qm::DisplayText(path), 5000);
    return true;
}

int CMainFrame::AddPaths(const std::vector<std::string>& paths, bool recursive)
{
    QStringList refused;
    int added = 0;
    for (const std::string& path : paths) {
        std::vector<std::string> files;
        if (qm::fs::IsFolder(path))
            files = qm::vpp::PackfileDocument::FilesIn(path, recursive);
        else
            files.push_back(path);
        for (const std::string& file : files) {
            std::string error;
            if (m_doc.addFile(file, &error))
                ++added;
            else
                refused << qm::DisplayText(file) + QStringLiteral(": ") +
                               QString::fromStdString(error);
        }
    }
    refresh(added > 0 ? int(m_doc.items().size()) - 1 : currentIndex());
    if (!refused.isEmpty()) {
        if (refused.size() > 20) {
            const qsizetype more = refused.size() - 20;
            refused = refused.mid(0, 20);
            refused << QStringLiteral("... and %1 more").arg(more);
        }
        qm::ui::MessageBox::show(this, QMessageBox::Warning, Title(),
                                 QStringLiteral("Not added:\n\n") +
                                     refused.join(QLatin1Char('\n')));
    }
    return added;
}

void CMainFrame::OnAddFiles()
{
    const QStringList files = qm::ui::FileDialog::getOpenFileNames(
        this, QStringLiteral("Add Files"), QString(), QStringLiteral("All files (*)"));
    std::vector<std::string> paths;
    for (const QString& file : files)
        paths.push_back(Bytes(file));
    if (!paths.empty())
        AddPaths(paths, false);
}

void CMainFrame::OnAddFolder()
{
    const QString folder =
        qm::ui::FileDialog::getExistingDirectory(this, QStringLiteral("Add Folder"), QString());
    if (folder.isEmpty())
        return;
    const auto answer = qm::ui::MessageBox::show(
        this, QMessageBox::Question, Title(),
        QStringLiteral("Also add the files in the folders below ") + folder +
            QStringLiteral("?\n\nEntries keep only their file names."),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::No);
    if (answer == QMessageBox::Cancel)
        return;
    AddPaths({Bytes(folder)}, answer == QMessageBox::Yes);
}

void CMainFrame::OnRemove()
{
    std::vector<int> rows;
    for (QTreeWidgetItem* item : m_view->selectedItems())
        rows.push_back(m_view->indexOfTopLevelItem(item));
    std::sort(rows.rbegin(), rows.rend());
    for (int r : rows)
        m_doc.remove(size_t(r));
    if (!rows.empty())
        refresh(std::min(rows.back(), int(m_doc.items().size()) - 1));
}

void CMainFrame::OnRename()
{
    const int index = currentIndex();
    if (index < 0)
        return;
    CNameDlg dlg(this, m_doc, index);
    if (dlg.exec() != QDialog::Accepted)
        return;
    std::string error;
    if (!m_doc.rename(size_t(index), dlg.nameBytes(), &error))
        qm::ui::MessageBox::show(this, QMessageBox::Warning, Title(),
                                 QString::fromStdString(error));
    refresh(index);
}

void CMainFrame::OnMove(int delta)
{
    const int index = currentIndex();
    if (index >= 0 && m_doc.move(size_t(index), delta))
        refresh(index + delta);
}

void CMainFrame::OnReplace()
{
    const int index = currentIndex();
    if (index < 0)
        return;
    const QString file = qm::ui::FileDialog::getOpenFileName(
        this,
        QStringLiteral("Replace Data of ") + qm::DisplayText(m_doc.items()[size_t(index)].name),
        QString(), QStringLiteral("All files (*)"));
    if (file.isEmpty())
        return;
    std::string error;
    if (!m_doc.replaceData(size_t(index), Bytes(file), &error))
        qm::ui::MessageBox::show(this, QMessageBox::Warning, Title(),
                                 QString::fromStdString(error));
    refresh(index);
}

bool CMainFrame::MaybeSave()
{
    if (!m_doc.modified())
        return true;
    const auto answer = qm::ui::MessageBox::show(
        this, QMessageBox::Warning, Title(),
        QStringLiteral("Save changes to ") + documentName() + QStringLiteral("?"),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Cancel)
        return false;
    if (answer == QMessageBox::No)
        return true;
    return OnFileSave();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (MaybeSave())
        event->accept();
    else
        event->ignore();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths.push_back(Bytes(url.toLocalFile()));
    event->acceptProposedAction();
    bool folders = false;
    for (const std::string& p : paths)
        folders = folders || qm::fs::IsFolder(p);
    bool recursive = false;
    if (folders) {
        const auto answer = qm::ui::MessageBox::show(
            this, QMessageBox::Question, Title(),
            QStringLiteral("Also add the files in the folders below the dropped folders?"),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::No);
        if (answer == QMessageBox::Cancel)
            return;
        recursive = answer == QMessageBox::Yes;
    }
    AddPaths(paths, recursive);
}

} // namespace packforge
