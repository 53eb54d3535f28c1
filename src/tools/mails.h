#pragma once

#include "maillists.h"

#include <QLatin1StringView>
#include <QWidget>

class QLineEdit;
class QPushButton;
struct Services;

// The dialog "mails": writes the e-mail distribution lists into the list folder, one address per line:
// a list per class computed from the converted pupil file, "eleves.txt" from the account list and
// "profs.txt" from the teacher list.
class Mails : public QWidget
{
    Q_OBJECT

public:
    static constexpr QLatin1StringView kMailDomain = MailLists::kMailDomain;
    // How long the emptying of the list folder may take before the generation gives up.
    static constexpr int kEmptyingTimeoutMs = 2 * 60 * 1000;

    static Mails *make(Services &services) { return new Mails(services); }
    explicit Mails(Services &services);

private:
    void generate();

    Services &m_services;
    QLineEdit *m_orvo = nullptr;
    QLineEdit *m_mailDir = nullptr;
    QPushButton *m_gener = nullptr;
};
