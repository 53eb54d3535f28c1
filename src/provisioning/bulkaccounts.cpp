#include "bulkaccounts.h"

#include "accountsheet.h"
#include "pupilaccount.h"
#include "pupilfile.h"
#include "pupilpolicy.h"
#include "services.h"
#include "shell/shell.h"
#include "text/pathresolver.h"
#include "ui/prompts.h"

QString BulkAccounts::sheetPath(const QString &systemVolume)
{
    return systemVolume + QStringLiteral("\\comptes.html");
}

QString BulkAccounts::finalMessage(int handled, const QString &systemVolume)
{
    return QStringLiteral("La création de ") + QString::number(handled) + QStringLiteral(" utilisateurs est achevée.")
        + QLatin1Char('\r') + QStringLiteral("Veuillez consulter le fichier ") + sheetPath(systemVolume);
}

QString BulkAccounts::sheetCell(const PupilAccount &account)
{
    if (account.holdsPassword())
        return account.password;
    if (!account.created())
        return AccountSheet::noAccountCell();
    return AccountSheet::passwordRefusedCell();
}

int BulkAccounts::run(const Input &input, const Progress &progress)
{
    Prompts &prompts = *m_services.prompts;
    // The file is read once; the counting pass runs over a copy of the reader, so both passes see the
    // same records even if the file changes meanwhile.
    auto pupils = PupilFile::open(input.pupilFile, *m_services.paths);
    if (!pupils) {
        prompts.message(pupils.message() + QStringLiteral("\rAucun compte n'a été créé."));
        return 0;
    }

    // Nothing is written when the shares would not be served or the domain would refuse every
    // password: the administrator mends that first.
    if (Status served = m_services.shell->checkSharesServed(); !served) {
        prompts.message(served.message() + QStringLiteral("\rAucun compte n'a été créé."));
        return 0;
    }
    if (Status admitted = PupilPolicy::check(*m_services.directory); !admitted) {
        prompts.message(admitted.message());
        return 0;
    }

    // The sheet is the only place the passwords are written: without it no account is made.
    const QString sheetWindowsPath = sheetPath(input.systemVolume);
    AccountSheet sheet(m_services.paths->toHost(sheetWindowsPath));
    if (Status begun = sheet.begin(); !begun) {
        prompts.message(QStringLiteral("Impossible de créer le fichier ") + sheetWindowsPath
            + QStringLiteral(", où les mots de passe sont notés.\rAucun compte n'a été créé."));
        return 0;
    }

    const int total = pupils->remaining();
    if (progress.counted)
        progress.counted(total);

    PupilAccountSteps steps(m_services, input.serverName, input.homeRoot);
    int handled = 0;
    int rowsLost = 0;
    while (!pupils->atEnd()) {
        ++handled;
        const PupilRecord pupil = pupils->next();
        const PupilAccount account = steps.create(pupil);
        steps.startShareScript(pupil, account);
        // An account there, disabled, without the drawn password: the reason goes to the error output.
        if (account.created() && !account.holdsPassword())
            qWarning("%s", qPrintable(account.login + QStringLiteral(" : ") + account.passwordSet.message()));
        const QString passwordCell = sheetCell(account);
        if (!sheet.appendRow(account.login, passwordCell, pupil.surname, pupil.firstNames, pupil.className))
            ++rowsLost;
        steps.recordLogin(account);
        if (progress.handled)
            progress.handled(handled);
    }
    const bool closed = bool(sheet.finish());

    prompts.message(finalMessage(handled, input.systemVolume));
    if (rowsLost > 0 || !closed)
        prompts.message(QStringLiteral("Attention : le fichier ") + sheetWindowsPath
            + QStringLiteral(" n'a pas pu être écrit en entier (") + QString::number(rowsLost)
            + QStringLiteral(" élève(s) manquant(s)). Les mots de passe absents du fichier devront être "
                             "redéfinis."));
    return handled;
}
