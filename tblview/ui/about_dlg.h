#pragma once

#include <QDialog>

class QPushButton;

namespace gridlens {

// The About box (dialog template 100).
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    QPushButton* aboutPackpeekButton() const { return m_packpeek; }

private:
    QPushButton* m_packpeek = nullptr;
};

} // namespace gridlens
