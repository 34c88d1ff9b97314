#pragma once

#include "launcher/ui/level_list_model.h"

#include <QTableView>
#include <string>

class QMenu;

namespace playdeck {

// The main list: one report-style table of the levels (or MODs) of the
// current mode, rebuilt from scratch by every mode command.
class CPLAYDECK32View : public QTableView {
    Q_OBJECT
public:
    explicit CPLAYDECK32View(QWidget* parent = nullptr);

    // Clears the rows and builds the columns of the current mode.
    void SetupColumns();
    void ScanLevelFolder(const std::string& folder);
    void ScanModsFolder(const std::string& folder);
    // Sets mode m, scans its folder and stores "LastMode".
    void ModeCommand(LevelMode mode);
    // Repeats the current mode's command; does nothing for a broken mode.
    void Refresh();
    // The first display: columns, the stored mode, its scan.
    void OnInitialUpdate();

    // The selected row when exactly one is selected, else -1.
    int GetSingleSelection() const;
    // The cell's bytes as the scan read them.
    std::string GetItemText(int row, int column) const;

    // Starts the game for the selected row; true when a start was attempted.
    // The launcher closes afterwards when "AutoClose" is 1.
    bool LaunchSelected();
    // Opens the shortcut wizard for the selected row; false when the row
    // cannot make a shortcut.
    bool CreateShortcutToSelected();

    int32_t mode() const { return m_mode; }
    const std::string& currentFolder() const { return m_folder; }
    LevelListModel* levelModel() const { return m_model; }
    // The "&Level" pop-up shown on a right-button press.
    void setPopupMenu(QMenu* menu) { m_popup = menu; }

signals:
    // The rows, the mode or the selection changed: commands need re-enabling.
    void commandStateChanged();
    // A scan rebuilt the list.
    void listRebuilt();
    // A launch asks the launcher to end ("AutoClose").
    void closeRequested();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void fill(std::vector<CatalogueRow> rows);

    LevelListModel* m_model;
    QMenu* m_popup = nullptr;
    int32_t m_mode = 0;
    std::string m_folder;
};

} // namespace playdeck
