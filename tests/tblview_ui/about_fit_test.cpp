#include "common/ui/dialog_units.h"
#include "support/dialog_fit.h"
#include "tblview/ui/about_dlg.h"

#include <gtest/gtest.h>

// The About box keeps its 366 x 60 dialog units in the suite's dialog font,
// and its texts fit.
TEST(ViewerAboutBox, DesignedSizeAndNoTextCutOff)
{
    gridlens::CAboutDlg about;
    EXPECT_EQ(about.size(), qm::ui::DialogUnitsToPixels({366, 60}));
    EXPECT_EQ(about.font(), qm::ui::DialogFont());
    qm::test::ExpectDialogFits(about);
}
