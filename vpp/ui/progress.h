#pragma once

#include "vpp/writer.h"

#include <QString>

class QProgressDialog;
class QWidget;

namespace packtools {

// A modal progress dialog with Cancel for a long extraction or save that
// runs on the user-interface thread: the callback keeps the window alive.
class ProgressRunner {
public:
    ProgressRunner(QWidget* parent, const QString& label);
    ~ProgressRunner();
    qm::vpp::ProgressFn callback();
    void finish();
    // Tests: cancel as soon as this many bytes are done (0: never).
    static void setCancelAfter(uint64_t bytes);

private:
    QProgressDialog* m_dialog;
};

} // namespace packtools
