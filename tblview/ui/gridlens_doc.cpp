#include "tblview/ui/gridlens_doc.h"

#include "common/qt_text.h"
#include "common/ui/message_box.h"
#include "platform/file_system.h"
#include "tblview/tbl_converter.h"
#include "tblview/ui/gridlens_app.h"

namespace gridlens {

CGRIDLENS32LDoc::CGRIDLENS32LDoc(std::string pagePath, QObject* parent)
    : QObject(parent), m_pagePath(std::move(pagePath))
{
    m_anchors.reset();
    m_created = WriteEmptyPage(m_pagePath);
}

QString CGRIDLENS32LDoc::GetPathName() const
{
    return qm::DisplayText(m_path);
}

QString CGRIDLENS32LDoc::GetTitle() const
{
    return m_path.empty() ? QStringLiteral("Untitled")
                          : qm::DisplayText(qm::fs::FileNameOf(m_path));
}

bool CGRIDLENS32LDoc::OnNewDocument()
{
    // An empty page rather than the last table's: a new document shows nothing.
    const bool written = WriteEmptyPage(m_pagePath);
    m_anchors.reset();
    m_path.clear();
    emit documentChanged();
    return written;
}

std::string CGRIDLENS32LDoc::AbsolutePath(const std::string& path)
{
    if (path.empty() || path.front() == '/')
        return path;
    std::string base = qm::fs::CurrentFolder();
    if (base.empty() || base.back() != '/')
        base += '/';
    return base + (path.compare(0, 2, "./") == 0 ? path.substr(2) : path);
}

QString CGRIDLENS32LDoc::LoadErrorText(const std::string& path)
{
    const qm::fs::FileInfo info = qm::fs::Stat(path);
    if (info.kind == qm::fs::FileKind::Missing)
        return QStringLiteral("%1 was not found.").arg(qm::DisplayText(path));
    // Only regular files are opened: a FIFO would block the viewer.
    if (info.kind != qm::fs::FileKind::Regular || !qm::fs::ReadFile(path).isOpen())
        return QStringLiteral("Access to %1 was denied.").arg(qm::DisplayText(path));
    return QString();
}

bool CGRIDLENS32LDoc::OnOpenDocument(const std::string& path, QWidget* parent)
{
    const std::string absolute = AbsolutePath(path);
    QString error = LoadErrorText(absolute);
    if (error.isEmpty()) {
        if (qm::fs::Stat(absolute).size == 0) {
            // Nothing to convert: an empty page and tree, not the previous table.
            if (WriteEmptyPage(m_pagePath))
                m_anchors.reset();
            else
                error = QStringLiteral("Failed to open document.");
        } else {
            int shown = -1;
            const auto progress = [&](uint64_t done, uint64_t total) {
                const int percent =
                    total ? int(std::min<uint64_t>(done, total) * 100 / total) : 100;
                if (percent != shown)
                    emit loadProgress(shown = percent);
            };
            if (!ConvertTableFile(absolute, m_pagePath, m_anchors, nullptr, progress))
                error = QStringLiteral("Failed to open document.");
            emit loadFinished();
        }
    }
    if (!error.isEmpty()) {
        qm::ui::MessageBox::show(parent, QMessageBox::Warning, QString::fromLatin1(kProgramTitle),
                                 error);
        return false;
    }
    m_path = absolute;
    emit documentChanged();
    return true;
}

} // namespace gridlens
