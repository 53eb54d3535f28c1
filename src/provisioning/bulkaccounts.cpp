#include "bulkaccounts.h"

#include "accountsheet.h"
#include "classhandouts.h"
#include "creationjournal.h"
#include "directory/directory.h"
#include "directory/dirpaths.h"
#include "journal/keptfile.h"
#include "journal/runjournal.h"
#include "program/services.h"
#include "pupilaccount.h"
#include "pupilfile.h"
#include "pupilpolicy.h"
#include "shell/shell.h"
#include "text/pathresolver.h"
#include "text/windowsnames.h"
#include "ui/prompts.h"

#include <QHash>
#include <QSet>

#include <optional>

namespace {

using Row = AccountSheet::Row;

const QString kNoAccountMade = QStringLiteral("\rAucun compte n'a été créé.");

// Logins are told apart without regard to case, as the domain does.
QString key(const QString &login)
{
    return login.toCaseFolded();
}

// One run of the step over the file, new or going on where a stopped one ended.
struct Pass
{
    QList<PupilRecord> pupils;
    QStringList logins;
    // Per record, its row on the sheet once the pupil is done.
    QList<std::optional<Row>> rows;
    int done = 0;
    // The logins that named accounts when the run began: theirs are no new accounts.
    QSet<QString> existing;
    // The logins whose accounts a stopped run had begun to make: this run makes them whole.
    QSet<QString> takeOver;
    std::optional<RunJournal> journal;
    QDateTime started;
    QStringList warnings; // told once the run has ended
};

// The accounts of the directory whose names are logins of the file, in one listing: no question to
// the directory for each pupil. None when the directory cannot list its accounts.
std::optional<QSet<QString>> accountsNamed(Directory &directory, const QString &serverName, const QStringList &logins)
{
    auto container = directory.bind(DirPaths::container(serverName));
    if (!container)
        return std::nullopt;
    QSet<QString> accounts;
    const Status listed = (*container)->enumerate({DirListed::User}, [&accounts](const DirEntry &entry) {
        accounts.insert(key(entry.name));
    });
    if (!listed)
        return std::nullopt;
    QSet<QString> named;
    for (const QString &login : logins) {
        if (accounts.contains(key(login)))
            named.insert(key(login));
    }
    return named;
}

QString rowKey(const QString &login, const QString &surname, const QString &firstNames, const QString &className)
{
    return QStringList {login, surname, firstNames, className}.join(QChar(0));
}

// Which record each row of a stopped run's sheet stands for: the first one not yet taken with the
// same login, names and class, so that a pupil listed twice in the file is matched twice. None
// when a row stands for no record: the sheet is not that run's.
std::optional<QList<std::optional<Row>>> matchRows(const Pass &pass, const QList<Row> &sheetRows)
{
    QHash<QString, QList<int>> waiting;
    for (int i = pass.pupils.size() - 1; i >= 0; --i) {
        const PupilRecord &p = pass.pupils[i];
        waiting[rowKey(pass.logins[i], p.surname, p.firstNames, p.className)].append(i);
    }
    QList<std::optional<Row>> rows(pass.pupils.size());
    for (const Row &row : sheetRows) {
        QList<int> &records = waiting[rowKey(row.login, row.surname, row.firstNames, row.className)];
        if (records.isEmpty())
            return std::nullopt;
        rows[records.takeLast()] = row;
    }
    return rows;
}

// What a stopped run on the same file left: its journal, and its sheet's rows matched to the records.
// It can go on only when its sheet is the one this run writes and every row stands for a record.
struct Stopped
{
    CreationJournal::Run run;
    bool usable = false;
    QList<Row> sheetRows;
    QList<std::optional<Row>> rows;
    int done = 0;
};

std::optional<Stopped> stoppedRun(
    const PathResolver &paths, const Pass &pass, const PupilFileIdentity &file, const QString &sheetWindowsPath)
{
    auto run = CreationJournal::findStopped(paths, file);
    if (!run)
        return std::nullopt;
    Stopped stopped;
    stopped.run = *run;
    const QString sheetHost = paths.lookUp(sheetWindowsPath);
    if (paths.lookUp(run->header.sheet) != sheetHost)
        return stopped;
    auto sheetRows = AccountSheet::read(sheetHost);
    auto rows = sheetRows ? matchRows(pass, *sheetRows) : std::nullopt;
    if (!rows)
        return stopped;
    stopped.usable = true;
    stopped.sheetRows = *sheetRows;
    stopped.rows = *rows;
    stopped.done = int(std::count_if(rows->begin(), rows->end(), [](const auto &row) { return row.has_value(); }));
    return stopped;
}

// Goes on with a stopped run: its sheet made whole again, its journal, and what it knew of the
// accounts there before it. False, with the message shown, when its sheet cannot be taken up.
bool goOn(const PathResolver &paths, Directory &directory, Prompts &prompts, const QString &serverName,
    const QString &sheetWindowsPath, AccountSheet &sheet, const Stopped &stopped, Pass &pass)
{
    if (Status restored = sheet.restore(stopped.sheetRows); !restored) {
        prompts.message(QStringLiteral("La feuille ") + sheetWindowsPath
            + QStringLiteral(" de la création arrêtée n'a pas pu être reprise : ") + restored.message()
            + kNoAccountMade);
        return false;
    }
    pass.rows = stopped.rows;
    pass.done = stopped.done;
    pass.started = stopped.run.header.started;
    pass.journal = RunJournal::resume(paths, stopped.run.journal);
    pass.journal->write(CreationJournal::resumedLine(QDateTime::currentDateTime()));
    QSet<QString> doneLogins;
    for (int i = 0; i < pass.rows.size(); ++i) {
        if (!pass.rows[i])
            continue;
        doneLogins.insert(key(pass.logins[i]));
        // Stopped between its row and its line: the row stands.
        if (!stopped.run.records.contains(i + 1))
            pass.journal->write(CreationJournal::foundOnSheetLine(i + 1, pass.logins[i]));
    }
    const std::optional<QStringList> &before = stopped.run.header.existing;
    if (!before)
        return true;
    for (const QString &login : *before)
        pass.existing.insert(key(login));
    // An account that was not there when the run began, and is no done pupil's, was being made when
    // the run stopped.
    if (const auto now = accountsNamed(directory, serverName, pass.logins)) {
        for (const QString &login : *now) {
            if (!pass.existing.contains(login) && !doneLogins.contains(login))
                pass.takeOver.insert(login);
        }
    }
    return true;
}

// Begins a new run: the last sheet kept, a new one, the accounts already there, the journal. False,
// with the message shown, when the sheet cannot be written.
bool begin(const PathResolver &paths, Directory &directory, Prompts &prompts, const QString &serverName,
    const QString &sheetWindowsPath, AccountSheet &sheet, const PupilFileIdentity &file, Pass &pass)
{
    // The sheet is the only place the passwords are written: the last one is kept, and without a new
    // one no account is made.
    if (auto kept = KeptFile::keepAside(paths, sheetWindowsPath); !kept) {
        prompts.message(kept.message() + kNoAccountMade);
        return false;
    }
    if (Status begun = sheet.begin(); !begun) {
        prompts.message(QStringLiteral("Impossible de créer le fichier ") + sheetWindowsPath
            + QStringLiteral(", où les mots de passe sont notés.") + kNoAccountMade);
        return false;
    }
    pass.started = QDateTime::currentDateTime();
    CreationJournal::Header header {file, sheetWindowsPath, pass.started, int(pass.pupils.size()), std::nullopt};
    if (const auto named = accountsNamed(directory, serverName, pass.logins)) {
        pass.existing = *named;
        QStringList existing;
        QSet<QString> listed;
        for (const QString &login : std::as_const(pass.logins)) {
            if (named->contains(key(login)) && !listed.contains(key(login))) {
                listed.insert(key(login));
                existing << login;
            }
        }
        header.existing = existing;
    }
    pass.journal = RunJournal::start(paths, CreationJournal::prefix(), pass.started);
    pass.journal->write(CreationJournal::headerLines(header));
    return true;
}

} // namespace

QString BulkAccounts::sheetPath(const QString &systemVolume)
{
    return systemVolume + QStringLiteral("\\comptes.html");
}

QString BulkAccounts::finalMessage(int handled, const QString &systemVolume, int notCreated)
{
    QString text = QStringLiteral("La création de ") + QString::number(handled)
        + QStringLiteral(" utilisateurs est achevée.") + QLatin1Char('\r')
        + QStringLiteral("Veuillez consulter le fichier ") + sheetPath(systemVolume);
    if (notCreated > 0)
        text += QLatin1Char('\r') + QStringLiteral("Attention : ") + QString::number(notCreated)
            + QStringLiteral(" comptes n'ont pas été créés.");
    return text;
}

QString BulkAccounts::sheetCell(const PupilAccount &account)
{
    if (account.holdsPassword())
        return account.password;
    if (account.existed)
        return AccountSheet::alreadyExistsCell();
    if (!account.created())
        return AccountSheet::noAccountCell();
    return AccountSheet::passwordRefusedCell();
}

QString BulkAccounts::resumeQuestion(const QDateTime &started, int done, int total)
{
    return QStringLiteral("La création du ") + started.toString(QStringLiteral("dd/MM/yyyy")) + QStringLiteral(" à ")
        + started.toString(QStringLiteral("HH:mm")) + QStringLiteral(" s'est arrêtée après ") + QString::number(done)
        + QStringLiteral(" élèves sur ") + QString::number(total)
        + QStringLiteral(". Reprendre là où elle s'est arrêtée ?");
}

int BulkAccounts::run(const Input &input, const Progress &progress)
{
    Prompts &prompts = m_services.prompts;
    const PathResolver &paths = m_services.paths;
    // The file is read once: the count, the records and the checksum all come from the same bytes.
    auto file = PupilFile::open(input.pupilFile, paths);
    if (!file) {
        prompts.message(file.message() + kNoAccountMade);
        return 0;
    }

    // Nothing is written when the shares would not be served or the domain would refuse every
    // password: the administrator mends that first.
    if (Status served = m_services.shell.checkSharesServed(); !served) {
        prompts.message(served.message() + kNoAccountMade);
        return 0;
    }
    if (Status admitted = PupilPolicy::check(m_services.directory); !admitted) {
        prompts.message(admitted.message());
        return 0;
    }

    Pass pass;
    pass.pupils = file->readAll();
    for (const PupilRecord &p : std::as_const(pass.pupils))
        pass.logins << WindowsNames::pupilLogin(p.surname, p.firstNames, p.className);
    pass.rows.resize(pass.pupils.size());
    const int total = int(pass.pupils.size());

    const QString sheetWindowsPath = sheetPath(input.systemVolume);
    AccountSheet sheet(paths.toHost(sheetWindowsPath));

    // A stopped run on this very file may go on, if the administrator wants it; one that will not is
    // never offered again, and its sheet is kept like any other.
    std::optional<Stopped> stopped = stoppedRun(paths, pass, file->identity(), sheetWindowsPath);
    if (stopped && stopped->usable)
        stopped->usable = prompts.yesNo(resumeQuestion(stopped->run.header.started, stopped->done, total));
    if (stopped && !stopped->usable) {
        if (Status given = CreationJournal::abandon(paths, stopped->run.journal); !given)
            pass.warnings << QStringLiteral("Le journal %1 n'a pas pu être marqué abandonné : %2")
                                 .arg(stopped->run.journal, given.message());
        stopped.reset();
    }
    const bool ready = stopped
        ? goOn(paths, m_services.directory, prompts, input.serverName, sheetWindowsPath, sheet, *stopped, pass)
        : begin(
            paths, m_services.directory, prompts, input.serverName, sheetWindowsPath, sheet, file->identity(), pass);
    if (!ready)
        return 0;

    if (progress.counted)
        progress.counted(total, pass.done);

    PupilAccountSteps steps(m_services, input.serverName, input.homeRoot);
    int handled = pass.done;
    int rowsLost = 0;
    QStringList unlisted;
    Status unlistedWhy;
    // The pupils not done yet, in file order, a batch at a time: the folders and passwords of the
    // batch, its accounts together, then each pupil's share, list line, row, journal line and
    // progress in turn. A run stopped within a batch leaves accounts without rows: the next one takes
    // them over.
    QSet<QString> madeNow; // the logins this run made accounts for: a pupil listed twice finds the first one
    for (int next = 0; next < total;) {
        QList<int> batch;
        for (; next < total && batch.size() < m_pupilsPerBatch; ++next) {
            if (!pass.rows[next])
                batch.append(next);
        }
        QList<PupilRecord> records;
        QList<bool> takenOver;
        for (const int i : std::as_const(batch)) {
            records.append(pass.pupils[i]);
            takenOver.append(pass.takeOver.remove(key(pass.logins[i])));
        }
        QList<PupilAccount> accounts = records.isEmpty() ? QList<PupilAccount>() : steps.make(records, takenOver);
        for (qsizetype k = 0; k < batch.size(); ++k) {
            const int i = batch[k];
            const PupilRecord &pupil = pass.pupils[i];
            const QString login = key(pass.logins[i]);
            PupilAccount &account = accounts[k];
            account.existed = !account.created() && pass.existing.contains(login);
            if (account.created())
                madeNow.insert(login);
            // A folder shared for no account would be open to every account of a domain controller,
            // and stay so when a later run makes the account and finds its share already there.
            account.shareScript = account.created() || account.existed || madeNow.contains(login)
                ? steps.startShareScript(pupil, account)
                : Status::failure(QStringLiteral("sans compte, le dossier n'est pas partagé"));
            // The list line before the row: a pupil on the sheet is always in the list, so the removal
            // of all pupils finds it even when the run stopped between the two.
            account.listed = steps.recordLogin(account);
            // An account there, disabled, without the drawn password: the reason goes to the error output.
            if (account.created() && !account.holdsPassword())
                qWarning("%s", qPrintable(account.login + QStringLiteral(" : ") + account.passwordSet.message()));
            const Row row {account.login, sheetCell(account), pupil.surname, pupil.firstNames, pupil.className};
            const Status written = sheet.appendRow(row);
            if (!written)
                ++rowsLost;
            // The line last: a pupil with a line has its row.
            pass.journal->write(CreationJournal::pupilLine(i + 1, pupil.className, account, written));
            pass.rows[i] = row;
            ++handled;
            if (!account.listed) {
                if (unlisted.isEmpty())
                    unlistedWhy = account.listed;
                unlisted.append(account.login);
            }
            if (progress.handled)
                progress.handled(handled);
        }
    }
    const bool closed = bool(sheet.finish());

    // The handouts hold every password of the run, the stopped part's included.
    QList<Row> runRows;
    int notCreated = 0;
    for (const std::optional<Row> &row : std::as_const(pass.rows)) {
        runRows.append(*row);
        if (row->passwordCell == AccountSheet::noAccountCell()
            || row->passwordCell == AccountSheet::alreadyExistsCell())
            ++notCreated;
    }
    const QString handoutsPath = ClassHandouts::path(input.systemVolume);
    if (auto kept = KeptFile::keepAside(paths, handoutsPath); !kept)
        pass.warnings << kept.message() + QStringLiteral(" Les fiches par classe n'ont pas été écrites.");
    else if (Status written = ClassHandouts::write(paths.toHost(handoutsPath), runRows, QDate::currentDate()); !written)
        pass.warnings << QStringLiteral("Les fiches par classe %1 n'ont pas pu être écrites : %2")
                             .arg(handoutsPath, written.message());
    pass.journal->write(CreationJournal::endLine());

    QString text = finalMessage(handled, input.systemVolume, notCreated);
    if (!unlisted.isEmpty())
        text += u'\r' + PupilAccountSteps::unlistedMessage(unlisted, unlistedWhy);
    prompts.message(text);
    if (rowsLost > 0 || !closed)
        prompts.message(QStringLiteral("Attention : le fichier ") + sheetWindowsPath
            + QStringLiteral(" n'a pas pu être écrit en entier (") + QString::number(rowsLost)
            + QStringLiteral(" élève(s) manquant(s)). Les mots de passe absents du fichier devront être "
                             "redéfinis."));
    if (pass.journal->failed())
        pass.warnings << pass.journal->failureMessage(
            QStringLiteral("Les comptes ont été créés comme d'habitude ; seul le journal de cette création est "
                           "incomplet."));
    if (!pass.warnings.isEmpty())
        prompts.message(pass.warnings.join(u'\r'));
    return handled;
}
