#include "vpp/ui/progress.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace packtools {

namespace {
uint64_t g_cancelAfter = 0;
}

ProgressRunner::ProgressRunner(QWidget* parent, const QString& label)
    : m_dialog(new QProgressDialog(label, QStringLiteral("Cancel"), 0, 1000, parent))
{
    m_dialog->setObjectName(QStringLiteral("progress"));
    m_dialog->setWindowModality(Qt::WindowModal);
    m_dialog->setMinimumDuration(400); // short jobs show no dialog
    m_dialog->setValue(0);
}

ProgressRunner::~ProgressRunner()
{
    delete m_dialog;
}

qm::vpp::ProgressFn ProgressRunner::callback()
{
    return [this](uint64_t done, uint64_t total) {
        m_dialog->setValue(total ? int(done * 1000 / total) : 1000);
        QCoreApplication::processEvents();
        if (g_cancelAfter && done >= g_cancelAfter)
            return false;
        return !m_dialog->wasCanceled();
    };
}

void ProgressRunner::finish()
{
    m_dialog->reset();
}

void ProgressRunner::setCancelAfter(uint64_t bytes)
{
    g_cancelAfter = bytes;
}

} // namespace packtools
