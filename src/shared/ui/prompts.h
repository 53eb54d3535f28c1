#pragma once

#include <QString>

#include <optional>

// Message and input boxes. Windows ask through this interface so that tests can answer for the
// administrator; a box without a title of its own shows the program's name.
class Prompts
{
public:
    virtual ~Prompts() = default;
    // A message with an OK button.
    virtual void message(const QString &text, const QString &title = {}) = 0;
    // A question with OK and Cancel; true for OK.
    virtual bool confirm(const QString &text, const QString &title = {}) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool yesNo(const QString &text, const QString &title = {}) = 0;
    // An input box; no value when it was cancelled.
    virtual std::optional<QString> input(
        const QString &prompt, const QString &title = {}, const QString &defaultText = {})
        = 0;
};

// The real boxes, modal, on screen.
class BoxPrompts : public Prompts
{
public:
    explicit BoxPrompts(QString programName);

    void message(const QString &text, const QString &title = {}) override;
    bool confirm(const QString &text, const QString &title = {}) override;
    bool yesNo(const QString &text, const QString &title = {}) override;
    std::optional<QString> input(
        const QString &prompt, const QString &title = {}, const QString &defaultText = {}) override;

    // A carriage return alone breaks the line in a box, as it does on Windows.
    static QString displayText(const QString &text);

private:
    QString titleOr(const QString &title) const;
    QString m_programName;
};
