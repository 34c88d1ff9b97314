#include "common/ui/file_dialog.h"

#include "common/ui/answer_queue.h"

#include <QFileDialog>

namespace qm::ui {

namespace {
AnswerQueue<QString>& queued()
{
    static AnswerQueue<QString> q;
    return q;
}
QString& lastDefault()
{
    static QString s;
    return s;
}
// Remembers what the dialog proposes, then answers from the queue or asks.
template <typename Ask> QString answer(const QString& proposed, Ask ask)
{
    lastDefault() = proposed;
    if (auto queuedAnswer = queued().take())
        return *queuedAnswer;
    return ask();
}
} // namespace

QString FileDialog::getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter)
{
    return answer(dir, [&] { return QFileDialog::getOpenFileName(parent, caption, dir, filter); });
}

QStringList FileDialog::getOpenFileNames(QWidget* parent, const QString& caption,
                                         const QString& dir, const QString& filter)
{
    lastDefault() = dir;
    if (auto queuedAnswer = queued().take())
        return queuedAnswer->isEmpty() ? QStringList() : QStringList{*queuedAnswer};
    return QFileDialog::getOpenFileNames(parent, caption, dir, filter);
}

QString FileDialog::getSaveFileName(QWidget* parent, const QString& caption,
                                    const QString& defaultPath, const QString& filter)
{
    return answer(defaultPath, [&] {
        return QFileDialog::getSaveFileName(parent, caption, defaultPath, filter);
    });
}

QString FileDialog::getExistingDirectory(QWidget* parent, const QString& caption,
                                         const QString& dir)
{
    return answer(dir, [&] { return QFileDialog::getExistingDirectory(parent, caption, dir); });
}

void FileDialog::setNextFileName(const QString& name)
{
    queued().push(name);
}
QString FileDialog::lastDefaultPath()
{
    return lastDefault();
}

} // namespace qm::ui
