#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

namespace qm::ui {

// Open/save dialogs of the suite; tests queue the next answer instead.
class FileDialog {
public:
    static QString getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                   const QString& filter);
    // Several files at once; a queued answer is one file (an empty one: Cancel).
    static QStringList getOpenFileNames(QWidget* parent, const QString& caption, const QString& dir,
                                        const QString& filter);
    // The framework's save dialog asks before overwriting; so does this one.
    static QString getSaveFileName(QWidget* parent, const QString& caption,
                                   const QString& defaultPath, const QString& filter);
    static QString getExistingDirectory(QWidget* parent, const QString& caption,
                                        const QString& dir);

    // Queued answer for the next dialog; an empty string means Cancel.
    static void setNextFileName(const QString& name);
    static QString lastDefaultPath(); // what the last dialog proposed
};

} // namespace qm::ui
