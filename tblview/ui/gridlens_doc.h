#pragma once

#include "tblview/anchor_list.h"

#include <QObject>
#include <QString>
#include <string>

class QWidget;

namespace gridlens {

// The one document of the viewer: the anchors of the table shown and the
// temporary page the converter writes. Tables are only read, never saved.
// Paths are bytes; what is shown of them passes the display rule.
class CGRIDLENS32LDoc : public QObject {
    Q_OBJECT
public:
    // Writes the empty page to pagePath; see created().
    explicit CGRIDLENS32LDoc(std::string pagePath, QObject* parent = nullptr);

    // Whether the empty page could be written when the document was made.
    bool created() const { return m_created; }

    // A new, untitled document with an empty page and no anchors.
    bool OnNewDocument();
    // Loads (converts) a table. On failure the framework-style message is shown
    // over parent, and the page, anchors, path and title stay as they were.
    bool OnOpenDocument(const std::string& path, QWidget* parent);

    const AnchorList& anchors() const { return m_anchors; }
    const std::string& pagePath() const { return m_pagePath; }
    const std::string& pathBytes() const { return m_path; }
    QString GetPathName() const;
    QString GetTitle() const;

    // Why a table could not be loaded, in the framework's words ("" when it can be).
    static QString LoadErrorText(const std::string& path);
    // path made absolute against the current folder, bytes kept.
    static std::string AbsolutePath(const std::string& path);

signals:
    // The page and anchors were replaced: the views show them anew.
    void documentChanged();
    // A load is converting: percent of the table read so far.
    void loadProgress(int percent);
    // The conversion that loadProgress told of is over (done or failed).
    void loadFinished();

private:
    std::string m_pagePath;
    AnchorList m_anchors;
    std::string m_path;
    bool m_created = false;
};

} // namespace gridlens
