#include "common/ui/file_dialog.h"

#include <QFileDialog>
#include <deque>

namespace qm::ui {

namespace {
std::deque<QString>& queued()
{
    static std::deque<QString> q;
    return q;
}
QString& lastDefault()
{
    static QString s;
    return s;
}
bool takeQueued(QString& out)
{
    if (queued().empty())
        return false;
    out = queued().front();
    queued().pop_front();
    return true;
}
} // namespace

QString FileDialog::getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter)
{
    lastDefault() = dir;
    QString r;
    if (takeQueued(r))
        return r;
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString FileDialog::getSaveFileName(QWidget* parent, const QString& caption,
                                    const QString& defaultPath, const QString& filter)
{
    lastDefault() = defaultPath;
    QString r;
    if (takeQueued(r))
        return r;
    return QFileDialog::getSaveFileName(parent, caption, defaultPath, filter);
}

QString FileDialog::getExistingDirectory(QWidget* parent, const QString& caption,
                                         const QString& dir)
{
    lastDefault() = dir;
    QString r;
    if (takeQueued(r))
        return r;
    return QFileDialog::getExistingDirectory(parent, caption, dir);
}

void FileDialog::setNextFileName(const QString& name)
{
    queued().push_back(name);
}
QString FileDialog::lastDefaultPath()
{
    return lastDefault();
}

} // namespace qm::ui
