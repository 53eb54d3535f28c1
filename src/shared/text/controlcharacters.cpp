#include "controlcharacters.h"

#include <algorithm>

namespace ControlCharacters {

bool isControl(QChar c)
{
    switch (c.category()) {
    case QChar::Other_Control:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

bool any(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), isControl);
}

QString escaped(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        if (!isControl(c)) {
            shown += c;
            continue;
        }
        const bool small = c.unicode() <= 0xFF;
        shown += (small ? QStringLiteral("\\x") : QStringLiteral("\\u"))
            + QString::number(c.unicode(), 16).rightJustified(small ? 2 : 4, u'0').toUpper();
    }
    return shown;
}

} // namespace ControlCharacters
