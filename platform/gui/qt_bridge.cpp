#include "platform/gui/internal/qt_bridge.h"

#include "platform/core/codepage.h"

namespace plat {

QString ToQString(std::string_view cp1250)
{
    const std::u16string utf16 = Cp1250ToUtf16(cp1250);
    return QString::fromUtf16(utf16.data(), static_cast<qsizetype>(utf16.size()));
}

std::string FromQString(const QString& text)
{
    return Utf16ToCp1250(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), text.size()));
}

QString ToolTipFor(std::string_view cp1250Hint)
{
    if (cp1250Hint.empty())
        return QString();
    // Rich text with every character escaped: Qt never guesses markup in it.
    return QStringLiteral("<qt>") + ToQString(cp1250Hint).toHtmlEscaped().replace(QLatin1Char('\n'), "<br>") +
           QStringLiteral("</qt>");
}

} // namespace plat
