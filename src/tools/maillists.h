#pragma once

#include <QByteArray>
#include <QLatin1StringView>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What the distribution lists are made from: the files as read (nothing when a file could not be read)
// and the names the notes give them.
struct MailSources
{
    QString listFolder; // as the administrator typed it: each list is this + "/" + its file name
    QString pupilFile; // the converted pupil file as named in the window; blank when none is named
    std::optional<QByteArray> pupils;
    std::optional<QByteArray> accounts; // the program folder's account list
    std::optional<QByteArray> teachers; // the program folder's teacher list
};

// The e-mail distribution lists, worked out before anything is written: a list per class from the
// converted pupil file, "eleves.txt" from the account list and "profs.txt" from the teacher list, one
// address per line, and a note for each source that gave nothing.
struct MailLists
{
    // The school's internal mail domain: every address is a login + "@" + this.
    static constexpr QLatin1StringView kMailDomain {"etablissement.local"};
    static QString address(const QString &login) { return login + u'@' + kMailDomain; }
    // The program-folder files that hold the pupils' and the teachers' logins.
    static constexpr QLatin1StringView kAccountSource {"utilisateurs.txt"};
    static constexpr QLatin1StringView kTeacherSource {"profsliste.txt"};

    struct File
    {
        QString path; // list folder + "/" + name, as the administrator would write it
        QStringList lines;
    };

    QList<File> files; // in the order their first address was read
    QStringList notes;

    static MailLists build(const MailSources &sources);
};
