#include "common/ui/edit_bytes.h"

#include "common/qt_text.h"

#include <QByteArray>
#include <QLineEdit>
#include <QVariant>

namespace qm::ui {

namespace {
constexpr const char* kBytesProperty = "qmFilledBytes";
}

void SetEditBytes(QLineEdit* edit, const std::string& bytes)
{
    edit->setProperty(kBytesProperty,
                      QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    edit->setText(DisplayText(bytes));
}

std::string EditBytes(const QLineEdit* edit)
{
    const QByteArray filled = edit->property(kBytesProperty).toByteArray();
    return BytesFromEdit(filled.toStdString(), edit->text());
}

} // namespace qm::ui
