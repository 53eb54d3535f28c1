#include "prompts.h"

#include <QInputDialog>
#include <QMessageBox>

BoxPrompts::BoxPrompts(QString programName)
    : m_programName(std::move(programName))
{
}

QString BoxPrompts::titleOr(const QString &title) const
{
    return title.isEmpty() ? m_programName : title;
}

QString BoxPrompts::displayText(const QString &text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(u'\r', u'\n');
    return shown;
}

void BoxPrompts::showMessage(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, titleOr(title), displayText(text), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool BoxPrompts::askConfirm(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::Question, titleOr(title), displayText(text), QMessageBox::Ok | QMessageBox::Cancel);
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Ok;
}

bool BoxPrompts::askYesNo(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::Question, titleOr(title), displayText(text), QMessageBox::Yes | QMessageBox::No);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> BoxPrompts::askInput(const QString &prompt, const QString &title, const QString &defaultText)
{
    bool accepted = false;
    const QString text = QInputDialog::getText(
        nullptr, titleOr(title), displayText(prompt), QLineEdit::Normal, defaultText, &accepted);
    if (!accepted)
        return std::nullopt;
    return text;
}
