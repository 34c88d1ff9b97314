#include "tblview/ui/gridlens_doc.h"

#include "common/ui/message_box.h"
#include "tblview/tbl_converter.h"
#include "tblview/ui/gridlens_app.h"

#include <QFile>
#include <QFileInfo>

namespace gridlens {

CGRIDLENS32LDoc::CGRIDLENS32LDoc(std::string pagePath, QObject* parent)
    : QObject(parent), m_pagePath(std::move(pagePath))
{
    m_anchors.reset();
    m_created = WriteEmptyPage(m_pagePath);
    m_title = QStringLiteral("Untitled");
}

bool CGRIDLENS32LDoc::OnNewDocument()
{
    // An empty page rather than the last table's: a new document shows nothing.
    const bool written = WriteEmptyPage(m_pagePath);
    m_anchors.reset();
    m_path.clear();
    m_title = QStringLiteral("Untitled");
    emit documentChanged();
    return written;
}

QString CGRIDLENS32LDoc::LoadErrorText(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("%1 was not found.").arg(path);
    QFile f(path);
    if (info.isDir() || !f.open(QIODevice::ReadOnly))
        return QStringLiteral("Access to %1 was denied.").arg(path);
    return QString();
}

bool CGRIDLENS32LDoc::OnOpenDocument(const QString& path, QWidget* parent)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QString error = LoadErrorText(absolute);
    if (error.isEmpty()) {
        if (QFileInfo(absolute).size() == 0) {
            // Nothing to convert: an empty page and tree, not the previous table.
            if (WriteEmptyPage(m_pagePath))
                m_anchors.reset();
            else
                error = QStringLiteral("Failed to open document.");
        } else if (!ConvertTableFile(absolute.toLocal8Bit().toStdString(), m_pagePath, m_anchors,
                                     nullptr)) {
            error = QStringLiteral("Failed to open document.");
        }
    }
    if (!error.isEmpty()) {
        qm::ui::MessageBox::show(parent, QMessageBox::Warning, QString::fromLatin1(kProgramTitle),
                                 error);
        return false;
    }
    m_path = absolute;
    m_title = QFileInfo(absolute).fileName();
    emit documentChanged();
    return true;
}

} // namespace gridlens
