#include "vpp/ui/peek_frame.h"

#include "common/qt_text.h"
#include "common/settings.h"
#include "common/ui/file_dialog.h"
#include "common/ui/message_box.h"
#include "platform/file_system.h"
#include "platform/process_start.h"
#include "vpp/extract.h"
#include "vpp/names.h"
#include "vpp/ui/entry_model.h"
#include "vpp/ui/progress.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDragEnterEvent>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSortFilterProxyModel>
#include <QStatusBar>
#include <QTreeView>
#include <QVBoxLayout>

namespace packpeek {

namespace {

constexpr uint64_t kTextLimit = 4u << 20; // larger text is shown cut

QString Title()
{
    return QString::fromLatin1(kProgramTitle);
}

std::string Bytes(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

std::string LowerExtension(const std::string& name)
{
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : qm::vpp::FoldName(name.substr(dot));
}

} // namespace

CMainFrame::CMainFrame() : m_recent(std::string(kProfileKey) + "\\Recent File List")
{
    setObjectName(QStringLiteral("packpeekFrame"));
    setWindowIcon(packtools::ProgramIcon(false));
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 0);
    m_filter = new QLineEdit(central);
    m_filter->setObjectName(QStringLiteral("filter"));
    m_filter->setPlaceholderText(QStringLiteral("Filter by name"));
    m_filter->setClearButtonEnabled(true);
    m_model = new packtools::EntryModel(this);
    m_proxy = new QSortFilterProxyModel(this);
    m_proxy->setSourceModel(m_model);
    m_proxy->setSortRole(packtools::EntryModel::SortRole);
    m_proxy->setFilterKeyColumn(packtools::EntryModel::Name);
    m_proxy->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_view = new QTreeView(central);
    m_view->setObjectName(QStringLiteral("entries"));
    m_view->setModel(m_proxy);
    m_view->setRootIsDecorated(false);
    m_view->setUniformRowHeights(true); // fast with thousands of entries
    m_view->setSortingEnabled(true);
    m_view->sortByColumn(-1, Qt::AscendingOrder); // packfile order until a header is clicked
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setAllColumnsShowFocus(true);
    m_view->header()->resizeSection(0, 260);
    layout->addWidget(m_filter);
    layout->addWidget(m_view);
    setCentralWidget(central);

    m_commands = packtools::BuildCommands(*this, packtools::PeekCommands(),
                                          std::string(kProfileKey) + "\\Settings");
    using packtools::CommandId;
    connect(action(CommandId::FileOpen), &QAction::triggered, this, &CMainFrame::OnFileOpen);
    connect(action(CommandId::AppExit), &QAction::triggered, this, &QWidget::close);
    connect(action(CommandId::EditFind), &QAction::triggered, this, [this] {
        m_filter->setFocus();
        m_filter->selectAll();
    });
    connect(action(CommandId::EntryOpen), &QAction::triggered, this, &CMainFrame::OnOpenEntry);
    connect(action(CommandId::EntryExtract), &QAction::triggered, this,
            [this] { OnExtract(false); });
    connect(action(CommandId::EntryExtractAll), &QAction::triggered, this,
            [this] { OnExtract(true); });
    connect(action(CommandId::AppAbout), &QAction::triggered, this, [this] {
        qm::ui::MessageBox::show(this, QMessageBox::Information, QStringLiteral("About"),
                                 Title() + QStringLiteral("\nV2.0 (Build 108)"));
    });
    // Return opens the entry only from the list: in the filter it moves into the list.
    action(CommandId::EntryOpen)->setShortcut(QKeySequence());
    connect(m_view, &QTreeView::activated, this, &CMainFrame::OnOpenEntry);
    connect(m_filter, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_proxy->setFilterFixedString(text);
        refreshStatus();
    });
    connect(m_filter, &QLineEdit::returnPressed, this, [this] {
        m_view->setFocus();
        if (!m_view->currentIndex().isValid() && m_proxy->rowCount() > 0)
            m_view->setCurrentIndex(m_proxy->index(0, 0));
    });

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("entryCount"));
    statusBar()->addPermanentWidget(m_status);
    setAcceptDrops(true);
    resize(720, 480);
    m_recent.load();
    refreshRecent();
    refreshStatus();
    setWindowTitle(Title());
}

CMainFrame::~CMainFrame()
{
    if (!m_private.empty())
        qm::fs::RemoveTree(m_private);
}

QAction* CMainFrame::action(packtools::CommandId id) const
{
    const auto it = m_commands.actions.find(id);
    return it == m_commands.actions.end() ? nullptr : it->second;
}

bool CMainFrame::OpenPackfile(const std::string& path)
{
    qm::vpp::Directory dir;
    std::string error;
    if (!qm::vpp::ReadDirectory(path, &dir, &error)) {
        qm::ui::MessageBox::show(this, QMessageBox::Warning, Title(),
                                 qm::DisplayText(path) + QStringLiteral("\n\n") +
                                     QString::fromStdString(error));
        return false;
    }
    m_path = path;
    m_dir = std::move(dir);
    m_model->setEntries(m_dir.entries);
    m_recent.add(path);
    refreshRecent();
    refreshStatus();
    setWindowTitle(qm::DisplayText(qm::fs::FileNameOf(path)) + QStringLiteral(" - ") + Title());
    if (m_proxy->rowCount() > 0)
        m_view->setCurrentIndex(m_proxy->index(0, 0));
    if (!m_dir.warnings.empty()) {
        QString text = QStringLiteral("The packfile opened, but:\n");
        for (const std::string& w : m_dir.warnings)
            text += QStringLiteral("\n- ") + QString::fromStdString(w);
        statusBar()->showMessage(QString::fromStdString(m_dir.warnings.front()));
        qm::ui::MessageBox::show(this, QMessageBox::Information, Title(), text);
    }
    return true;
}

std::vector<size_t> CMainFrame::SelectedEntries() const
{
    std::vector<size_t> out;
    for (const QModelIndex& i : m_view->selectionModel()->selectedRows())
        out.push_back(size_t(i.data(packtools::EntryModel::IndexRole).toInt()));
    std::sort(out.begin(), out.end());
    return out;
}

void CMainFrame::OnFileOpen()
{
    const QString file = qm::ui::FileDialog::getOpenFileName(
        this, QStringLiteral("Open"), qm::DisplayText(qm::fs::FolderOf(m_path)),
        QStringLiteral("Packfiles (*.vpp);;All files (*)"));
    if (!file.isEmpty())
        OpenPackfile(Bytes(file));
}

void CMainFrame::OnOpenEntry()
{
    const QModelIndex current = m_view->currentIndex();
    if (!current.isValid())
        return;
    OpenEntry(size_t(current.data(packtools::EntryModel::IndexRole).toInt()));
}

std::string CMainFrame::ExtractPrivately(size_t index)
{
    if (m_private.empty())
        m_private = qm::fs::MakePrivateFolder(qm::GetTempFolder(), "packpeek32-");
    if (m_private.empty()) {
        qm::ui::MessageBox::show(this, QMessageBox::Warning, Title(),
                                 QStringLiteral("Cannot make a temporary folder in ") +
                                     qm::DisplayText(qm::GetTempFolder()));
        return {};
    }
    qm::vpp::ExtractOptions options;
    options.overwrite = true; // the private copy of an earlier open
    const qm::vpp::ExtractOutcome outcome =
        qm::vpp::ExtractEntries(m_path, m_dir, {index}, m_private, options);
    if (outcome.written.empty()) {
        const std::string why = !outcome.error.empty()     ? outcome.error
                                : !outcome.skipped.empty() ? outcome.skipped.front()
                                                           : std::string("Nothing was written.");
        qm::ui::MessageBox::show(this, QMessageBox::Warning, Title(), QString::fromStdString(why));
        return {};
    }
    return outcome.written.front();
}

void CMainFrame::OpenEntry(size_t index)
{
    if (index >= m_dir.entries.size())
        return;
    const qm::vpp::Entry& e = m_dir.entries[index];
    const std::string ext = LowerExtension(e.name);
    const QString shown = qm::DisplayText(e.name);
    if (ext == ".tbl") {
        std::string exe = qm::ReadRegString(qm::HKEY_LOCAL_MACHINE, kGridLensRecordKey, "EXE", "");
        std::string folder =
            qm::ReadRegString(qm::HKEY_LOCAL_MACHINE, kGridLensRecordKey, "Path", "");
        if (exe.empty()) {
            // A suite run from its build folder: the viewer lies beside us.
            const std::string beside =
                Bytes(QCoreApplication::applicationDirPath()) + "/gridlens32l";
            if (qm::fs::IsRegularFile(beside)) {
                exe = beside;
                folder = qm::fs::FolderOf(beside);
            }
        }
        if (exe.empty()) {
            qm::ui::MessageBox::show(this, QMessageBox::NoIcon, QStringLiteral("Error"),
                                     QStringLiteral("Could not find Quorvel Manager GRIDLENS32L, "
                                                    "which shows table files."));
            return;
        }
        const std::string file = ExtractPrivately(index);
        if (file.empty())
            return;
        qm::CurrentProcessStarter().start({exe, {file}, folder, {}, {}});
        statusBar()->showMessage(shown + QStringLiteral(" opened in GRIDLENS32L"), 5000);
        return;
    }
    if (ext == ".rfl") {
        qm::fs::ReadFile file(m_path);
        const auto info =
            file.isOpen() ? qm::vpp::ReadLevelInfoAt(file, e.offset, e.size) : std::nullopt;
        if (!info) {
            qm::ui::MessageBox::show(this, QMessageBox::Warning, Title(),
                                     shown + QStringLiteral(" holds no level information."));
            return;
        }
        qm::ui::MessageBox::show(this, QMessageBox::Information, shown,
                                 QStringLiteral("Level name:\t%1\nAuthor:\t%2\nDate:\t%3")
                                     .arg(qm::DisplayText(info->levelName),
                                          qm::DisplayText(info->author),
                                          qm::DisplayText(info->date)));
        return;
    }
    std::string head;
    qm::vpp::ReadEntryBytes(m_path, e, 512, &head, nullptr);
    if (packtools::LooksLikeText(e.name, head)) {
        ShowText(e);
        return;
    }
    const auto answer =
        qm::ui::MessageBox::show(this, QMessageBox::Question, Title(),
                                 shown + QStringLiteral(" (") + packtools::TypeOfName(e.name) +
                                     QStringLiteral(") cannot be shown here.\n\nExtract to...?"),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer != QMessageBox::Yes)
        return;
    const QString folder = qm::ui::FileDialog::getExistingDirectory(
        this, QStringLiteral("Extract to"), qm::DisplayText(qm::fs::FolderOf(m_path)));
    if (!folder.isEmpty())
        ExtractTo({index}, Bytes(folder));
}

void CMainFrame::ShowText(const qm::vpp::Entry& e)
{
    std::string bytes;
    std::string error;
    if (!qm::vpp::ReadEntryBytes(m_path, e, kTextLimit, &bytes, &error)) {
        qm::ui::MessageBox::show(this, QMessageBox::Warning, Title(),
                                 QString::fromStdString(error));
        return;
    }
    auto* dialog = new QDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setObjectName(QStringLiteral("textView"));
    dialog->setWindowTitle(qm::DisplayText(e.name));
    auto* layout = new QVBoxLayout(dialog);
    auto* text = new QPlainTextEdit(dialog);
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setFont(QFont(QStringLiteral("Monospace")));
    text->setPlainText(qm::DisplayText(bytes));
    layout->addWidget(text);
    dialog->resize(600, 420);
    dialog->show();
}

void CMainFrame::OnExtract(bool all)
{
    std::vector<size_t> indices;
    if (all) {
        for (size_t i = 0; i < m_dir.entries.size(); ++i)
            indices.push_back(i);
    } else {
        indices = SelectedEntries();
    }
    if (indices.empty())
        return;
    const QString folder = qm::ui::FileDialog::getExistingDirectory(
        this, QStringLiteral("Extract to"), qm::DisplayText(qm::fs::FolderOf(m_path)));
    if (!folder.isEmpty())
        ExtractTo(indices, Bytes(folder));
}

bool CMainFrame::ExtractTo(const std::vector<size_t>& indices, const std::string& folder)
{
    packtools::ProgressRunner progress(this, QStringLiteral("Extracting..."));
    qm::vpp::ExtractOptions options;
    options.progress = progress.callback();
    options.askOverwrite = [this](const std::string& target) {
        switch (qm::ui::MessageBox::show(
            this, QMessageBox::Question, Title(),
            qm::DisplayText(target) + QStringLiteral(" already exists.\n\nReplace it?"),
            QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No | QMessageBox::Cancel,
            QMessageBox::No)) {
        case QMessageBox::Yes:
            return qm::vpp::OverwriteAnswer::Yes;
        case QMessageBox::YesToAll:
            return qm::vpp::OverwriteAnswer::YesToAll;
        case QMessageBox::No:
            return qm::vpp::OverwriteAnswer::No;
        default:
            return qm::vpp::OverwriteAnswer::Cancel;
        }
    };
    const qm::vpp::ExtractOutcome outcome =
        qm::vpp::ExtractEntries(m_path, m_dir, indices, folder, options);
    progress.finish();
    QStringList problems;
    for (const std::string& s : outcome.skipped)
        problems << QString::fromStdString(s);
    if (!outcome.error.empty())
        problems << QString::fromStdString(outcome.error);
    if (!problems.isEmpty())
        qm::ui::MessageBox::show(this, QMessageBox::Warning, Title(),
                                 problems.join(QLatin1Char('\n')));
    statusBar()->showMessage(
        QStringLiteral("%1 of %2 entries extracted%3")
            .arg(outcome.written.size())
            .arg(indices.size())
            .arg(outcome.cancelled ? QStringLiteral(" (cancelled)") : QString()),
        8000);
    return outcome.ok();
}

void CMainFrame::refreshStatus()
{
    const int shown = m_proxy->rowCount();
    const int total = m_model->rowCount();
    const QString bytes = packtools::GroupedNumber(m_dir.dataBytes());
    const QString one = total == 1 ? QStringLiteral("entry") : QStringLiteral("entries");
    m_status->setText(shown == total ? QStringLiteral("%1 %2, %3 bytes").arg(total).arg(one, bytes)
                                     : QStringLiteral("%1 of %2 entries shown, %3 bytes in all")
                                           .arg(shown)
                                           .arg(total)
                                           .arg(bytes));
    const bool any = total > 0;
    action(packtools::CommandId::EntryExtract)->setEnabled(any);
    action(packtools::CommandId::EntryExtractAll)->setEnabled(any);
    action(packtools::CommandId::EntryOpen)->setEnabled(any);
}

void CMainFrame::refreshRecent()
{
    packtools::FillRecentMenu(m_commands.fileMenu, action(packtools::CommandId::FileMru),
                              m_recent.entries(), &m_recentActions, [this](int i) {
                                  const std::vector<std::string> files = m_recent.entries();
                                  if (size_t(i) < files.size())
                                      OpenPackfile(files[size_t(i)]);
                              });
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            OpenPackfile(Bytes(url.toLocalFile()));
            break;
        }
    }
    event->acceptProposedAction();
}

} // namespace packpeek
