#include "launcher/ui/playdeck32_view.h"

#include "common/settings.h"
#include "launcher/game_locator.h"
#include "launcher/launch.h"
#include "launcher/shortcut_wizard.h"
#include "launcher/ui/launch_cmd.h"
#include "launcher/ui/shortcut_wizard_dlg.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

namespace playdeck {

CPLAYDECK32View::CPLAYDECK32View(QWidget* parent)
    : QTableView(parent), m_model(new LevelListModel(this))
{
    setObjectName(QStringLiteral("levelList"));
    setModel(m_model);
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStretchLastSection(false);
    // One fixed row height: the view never measures rows, which keeps ten
    // thousand of them as cheap as ten.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->hide();
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CPLAYDECK32View::commandStateChanged);
}

void CPLAYDECK32View::SetupColumns()
{
    const auto columns = ColumnsOf(m_mode);
    m_model->setColumns(columns);
    for (int c = 0; c < static_cast<int>(columns.size()); ++c)
        setColumnWidth(c, columns[static_cast<size_t>(c)].width);
}

void CPLAYDECK32View::fill(std::vector<CatalogueRow> rows)
{
    // The last played level of the mode, else the first row, is ready for
    // Return, and the keys move on from it.
    int select = -1;
    if (const auto mode = ModeFromNumber(m_mode))
        select = RowToSelect(rows, *mode, ReadLastPlayed(*mode));
    m_model->setRows(std::move(rows));
    if (select >= 0) {
        const QModelIndex at = m_model->index(select, 0);
        selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect |
                                                  QItemSelectionModel::Rows);
        scrollTo(at);
    }
    setFocus(Qt::OtherFocusReason);
    emit listRebuilt();
    emit commandStateChanged();
}

void CPLAYDECK32View::ScanLevelFolder(const std::string& folder)
{
    SetupColumns();
    m_folder = WithTrailingSeparator(folder);
    fill(ScanModeFolder(LevelMode::Singleplayer, m_folder));
}

void CPLAYDECK32View::ScanModsFolder(const std::string& folder)
{
    SetupColumns();
    m_folder = WithTrailingSeparator(folder);
    fill(ScanModeFolder(LevelMode::Mods, m_folder));
}

void CPLAYDECK32View::ModeCommand(LevelMode mode)
{
    m_mode = static_cast<int32_t>(mode);
    const std::string game = GetGameFolder();
    if (game.empty()) {
        // No game folder: scanning "" + "mods/" would read the current
        // directory, so the list stays empty instead.
        SetupColumns();
        m_folder.clear();
        fill({});
    } else if (mode == LevelMode::Mods) {
        ScanModsFolder(game + ModeFolder(mode));
    } else {
        ScanLevelFolder(game + ModeFolder(mode));
    }
    StoreLastMode(mode);
}

void CPLAYDECK32View::Refresh()
{
    if (auto mode = ModeFromNumber(m_mode))
        ModeCommand(*mode);
}

void CPLAYDECK32View::OnInitialUpdate()
{
    SetupColumns();
    m_mode = ReadLastMode();
    Refresh();
    emit commandStateChanged();
}

int CPLAYDECK32View::GetSingleSelection() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.front().row() : -1;
}

std::string CPLAYDECK32View::GetItemText(int row, int column) const
{
    return m_model->bytes(row, column);
}

bool CPLAYDECK32View::LaunchSelected()
{
    const int r = GetSingleSelection();
    if (r < 0)
        return false;
    const auto request = LaunchRequestForRow(m_mode, GetItemText(r, 0), GetItemText(r, 1));
    if (!request)
        return false;
    if (const auto mode = ModeFromNumber(m_mode))
        StoreLastPlayed(*mode, LastPlayedOfRow(*mode, {GetItemText(r, 0), GetItemText(r, 1)}));
    if (!LaunchGame(this, *request))
        return true; // told why; the launcher stays open
    if (ShouldAutoClose())
        emit closeRequested();
    return true;
}

bool CPLAYDECK32View::CreateShortcutToSelected()
{
    const int r = GetSingleSelection();
    if (r < 0)
        return false;
    const auto input =
        ShortcutInputForRow(m_mode, GetItemText(r, 0), GetItemText(r, 1), GetItemText(r, 2));
    if (!input)
        return false;
    CShortcutWizardDlg wizard(*input, window());
    wizard.exec();
    return true;
}

void CPLAYDECK32View::mousePressEvent(QMouseEvent* event)
{
    // The right button opens the "&Level" menu and leaves the selection alone,
    // so its commands act on what was selected before.
    if (event->button() == Qt::RightButton) {
        if (m_popup)
            m_popup->popup(event->globalPosition().toPoint());
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void CPLAYDECK32View::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
    if (qm::ReadRegDword(qm::HKEY_CURRENT_USER, qm::SettingsKey, "DoubleClick_LaunchLevel", 1) == 1)
        LaunchSelected();
}

void CPLAYDECK32View::keyPressEvent(QKeyEvent* event)
{
    // Return belongs to the "Play selected level" accelerator, not to the
    // table's own activation.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore();
        return;
    }
    QTableView::keyPressEvent(event);
}

} // namespace playdeck
