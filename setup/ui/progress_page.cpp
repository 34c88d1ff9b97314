#include "setup/ui/progress_page.h"

#include "common/qt_text.h"
#include "setup/ui/widget_messages.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace qmsetup {

CProgressPage::CProgressPage(ModuleJob job, QWidget* parent)
    : CPageFrame(Banner::Progress, QStringLiteral("Fi&nish"), parent), m_job(std::move(job))
{
    build();
}

CProgressPage::CProgressPage(KitJob kit, QWidget* parent)
    : CPageFrame(Banner::Progress, QStringLiteral("Fi&nish"), parent), m_kit(std::move(kit))
{
    build();
}

void CProgressPage::build()
{
    setObjectName(QStringLiteral("progressPage"));
    m_status = addLabel(QString(), 10, 48, 311, 10);
    m_status->setObjectName(QStringLiteral("statusLine"));
    m_status->setWordWrap(false);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("progressBar"));
    m_bar->setTextVisible(false);
    m_bar->setRange(0, 1000);
    m_bar->setValue(0);
    m_bar->hide();
    place(m_bar, 10, 62, 311, 11);
    m_result = addLabel(QString(), 10, 80, 311, 110);
    m_result->setObjectName(QStringLiteral("resultText"));
    for (QLabel* l : {m_status, m_result})
        l->setTextFormat(Qt::PlainText);
    backButton()->setEnabled(false);
    mainButton()->setEnabled(false);
    cancelButton()->setEnabled(false);
    connect(mainButton(), &QPushButton::clicked, this, &QDialog::accept);
}

bool CProgressPage::run()
{
    return exec() == QDialog::Accepted;
}

void CProgressPage::showEvent(QShowEvent* event)
{
    CPageFrame::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    setStatus("Initializing...");
    QTimer::singleShot(500, this, &CProgressPage::runInstall);
}

void CProgressPage::runInstall()
{
    bool keepOpen = false;
    if (m_job)
        keepOpen = RunSingleModuleInstall(*m_job, m_run, *this);
    else if (m_kit)
        keepOpen = InstallKit(*m_kit, m_run, *this);
    m_endedEarly = !keepOpen;
    if (!keepOpen) {
        m_finishEnabled = true; // lets the page close
        reject();
    }
}

SetupMessages::Answer CProgressPage::message(const std::string& caption, const std::string& text,
                                             Buttons buttons, Answer defaultButton, Icon icon)
{
    return WidgetMessages::show(this, caption, text, buttons, defaultButton, icon);
}

void CProgressPage::setStatus(const std::string& text)
{
    m_status->setText(qm::DisplayText(text));
    m_status->repaint();
}

void CProgressPage::setProgressRange(int maximum)
{
    m_bar->setRange(0, maximum);
    m_bar->repaint();
}

void CProgressPage::setProgressPosition(int position)
{
    m_bar->setValue(position);
    m_bar->repaint();
}

void CProgressPage::showProgressBar(bool visible)
{
    m_bar->setVisible(visible);
    QWidget::repaint();
}

void CProgressPage::setResultText(const std::string& text)
{
    m_result->setText(qm::DisplayText(text));
    m_result->repaint();
}

void CProgressPage::enableFinish()
{
    m_finishEnabled = true;
    mainButton()->setEnabled(true);
    mainButton()->setFocus();
    if (unattended())
        QTimer::singleShot(0, mainButton(), &QPushButton::click);
}

void CProgressPage::repaint()
{
    QWidget::repaint();
}

void CProgressPage::closeEvent(QCloseEvent* event)
{
    // The run cannot be interrupted; after it, closing is Finish.
    if (!m_finishEnabled)
        event->ignore();
    else
        CPageFrame::closeEvent(event);
}

void CProgressPage::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && !m_finishEnabled)
        return;
    CPageFrame::keyPressEvent(event);
}

} // namespace qmsetup
