#pragma once

#include "look_palettes.h"
#include "xplook/flat_look.h"

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

namespace qm::xp::test {

// Every flat-look test runs with the distinct palette and a fresh hook; the
// manager is one per process, so each test leaves it as it found it.
class FlatLookTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_saved = QApplication::palette();
        QApplication::setPalette(DistinctPalette());
        manager().InstallHook(HookMode::OnDialogInit);
    }
    void TearDown() override
    {
        manager().PollHoverAt(QPoint(-5000, -5000));
        manager().RemoveHook();
        QApplication::setPalette(m_saved);
    }
    static FlatLookManager& manager() { return FlatLookManager::Instance(); }
    static QColor colour(QPalette::ColorRole role) { return DistinctPalette().color(role); }

    // Shows a dialog and lets it settle.
    static void open(QDialog& dlg)
    {
        dlg.resize(420, 360);
        dlg.show();
        QApplication::processEvents();
    }
    static QImage shot(QWidget* w) { return w->grab().toImage(); }
    static void hover(QWidget* w)
    {
        manager().PollHoverAt(w->mapToGlobal(w->rect().center()));
        QApplication::processEvents();
    }
    static void hoverAway()
    {
        manager().PollHoverAt(QPoint(-5000, -5000));
        QApplication::processEvents();
    }

private:
    QPalette m_saved;
};

} // namespace qm::xp::test
