#include "commandwords.h"

namespace {

bool isSwitchWord(const QString &word)
{
    if (!word.startsWith(u'/') || word.size() < 2)
        return false;
    const QStringList pieces = word.mid(1).split(u'/');
    for (const QString &piece : pieces) {
        if (piece.size() != 1 || !piece[0].isLetter())
            return false;
    }
    return true;
}

} // namespace

Result<CommandWords> CommandWords::split(const QStringList &words, const QString &allowed)
{
    CommandWords result;
    for (const QString &word : words) {
        if (!isSwitchWord(word)) {
            result.operands.append(word);
            continue;
        }
        for (const QString &piece : word.mid(1).split(u'/')) {
            const QChar letter = piece[0].toLower();
            if (!allowed.contains(letter))
                return Result<CommandWords>::failure(QStringLiteral("Option non valide : « /%1 ».").arg(piece));
            result.switches.append(letter);
        }
    }
    return result;
}
