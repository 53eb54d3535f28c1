#pragma once

#include "ui/prompts.h"

#include <QList>
#include <QStringList>

#include <optional>

// Answers message and input boxes for the administrator in tests, and records what was shown.
// No box ever opens. Unscripted confirmations answer OK, unscripted questions Yes; unscripted inputs
// answer "Annuler".
class ScriptedPrompts : public Prompts
{
public:
    struct Shown
    {
        QString kind; // "message", "confirm", "yesno" or "input"
        QString text;
        QString title;
    };

    void answerConfirm(bool ok) { m_confirms.append(ok); }
    void answerYesNo(bool yes) { m_yesNos.append(yes); }
    void answerInput(std::optional<QString> text) { m_inputs.append(std::move(text)); }

    QList<Shown> shown;
    QStringList messages() const;
    void clear() { shown.clear(); }

protected:
    void showMessage(const QString &text, const QString &title) override;
    bool askConfirm(const QString &text, const QString &title) override;
    bool askYesNo(const QString &text, const QString &title) override;
    std::optional<QString> askInput(const QString &prompt, const QString &title, const QString &defaultText) override;

private:
    QList<bool> m_confirms;
    QList<bool> m_yesNos;
    QList<std::optional<QString>> m_inputs;
};
