#include "scriptedprompts.h"

void ScriptedPrompts::showMessage(const QString &text, const QString &title)
{
    shown.append({QStringLiteral("message"), text, title});
}

bool ScriptedPrompts::askConfirm(const QString &text, const QString &title)
{
    shown.append({QStringLiteral("confirm"), text, title});
    return m_confirms.isEmpty() ? true : m_confirms.takeFirst();
}

bool ScriptedPrompts::askYesNo(const QString &text, const QString &title)
{
    shown.append({QStringLiteral("yesno"), text, title});
    return m_yesNos.isEmpty() ? true : m_yesNos.takeFirst();
}

std::optional<QString> ScriptedPrompts::askInput(const QString &prompt, const QString &title, const QString &)
{
    shown.append({QStringLiteral("input"), prompt, title});
    return m_inputs.isEmpty() ? std::nullopt : m_inputs.takeFirst();
}

QStringList ScriptedPrompts::messages() const
{
    QStringList texts;
    for (const Shown &s : shown) {
        if (s.kind == QStringLiteral("message"))
            texts << s.text;
    }
    return texts;
}
