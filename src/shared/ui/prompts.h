#pragma once

#include <QString>

#include <optional>

// Message and input boxes. Windows ask through this interface so that tests can answer for the
// administrator; a box without a title of its own shows the program's name. Callers use the plain
// functions, whose titles may be left out; each kind of boxes says how it shows them.
class Prompts
{
public:
    virtual ~Prompts() = default;
    // A message with an OK button.
    void message(const QString &text, const QString &title = {}) { showMessage(text, title); }
    // A question with OK and Cancel; true for OK.
    bool confirm(const QString &text, const QString &title = {}) { return askConfirm(text, title); }
    // A question with Yes and No; true for Yes.
    bool yesNo(const QString &text, const QString &title = {}) { return askYesNo(text, title); }
    // An input box; no value when it was cancelled.
    std::optional<QString> input(const QString &prompt, const QString &title = {}, const QString &defaultText = {})
    {
        return askInput(prompt, title, defaultText);
    }

protected:
    virtual void showMessage(const QString &text, const QString &title) = 0;
    virtual bool askConfirm(const QString &text, const QString &title) = 0;
    virtual bool askYesNo(const QString &text, const QString &title) = 0;
    virtual std::optional<QString> askInput(const QString &prompt, const QString &title, const QString &defaultText)
        = 0;
};

// The real boxes, modal, on screen.
class BoxPrompts : public Prompts
{
public:
    explicit BoxPrompts(QString programName);

    // A carriage return alone breaks the line in a box, as it does on Windows.
    static QString displayText(const QString &text);

protected:
    void showMessage(const QString &text, const QString &title) override;
    bool askConfirm(const QString &text, const QString &title) override;
    bool askYesNo(const QString &text, const QString &title) override;
    std::optional<QString> askInput(const QString &prompt, const QString &title, const QString &defaultText) override;

private:
    QString titleOr(const QString &title) const;
    QString m_programName;
};
