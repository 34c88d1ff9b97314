#include "common/qt_text.h"

namespace qm {

namespace {

QString fromUtf8(const std::string& utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string toUtf8(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), static_cast<size_t>(utf8.size()));
}

} // namespace

QString DisplayText(std::string_view bytes)
{
    return fromUtf8(DisplayUtf8(bytes));
}

QString FromWindows1252(std::string_view bytes)
{
    return fromUtf8(Windows1252ToUtf8(bytes));
}

bool ToWindows1252(const QString& text, std::string* bytes)
{
    return Utf8ToWindows1252(toUtf8(text), bytes);
}

std::string BytesFromEdit(const std::string& original, const QString& edited)
{
    return BytesFromEditUtf8(original, toUtf8(edited));
}

} // namespace qm
