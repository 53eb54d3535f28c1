#include "cmd/samba/sambasharestore.h"
#include "directory/ldap/ldapdirectory.h"
#include "support/dcfixture.h"
#include "support/tempprogramfolder.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

using Run = DcFixture::Run;

// "net share" in the interpreter of a program folder whose annuaire.conf names the domain
// controller's smb.conf: the shares are the DC's own, seen by SMB clients, and a personal folder
// belongs to its account.
class TestSambaShares : public QObject
{
    Q_OBJECT

public:
    explicit TestSambaShares(DcFixture &dc)
        : m_dc(dc)
    {
    }

private Q_SLOTS:
    void init();
    void cleanup();
    void sharesAreTheServers();
    void personalFolderBelongsToItsAccount();
    void personalFoldersArePrivate();
    void onlyFoldersInsideADriveAreGiven_data();
    void onlyFoldersInsideADriveAreGiven();
    void controlCharactersAreRefused();
    void unusableConfigurationSharesNothing();
    void listParsing();
    void storeWritesWhatNetConfWrites();
    void oddCharacters_data();
    void oddCharacters();
    void namesSambaRefuses_data();
    void namesSambaRefuses();
    void fallsBackToNetConf_data();
    void fallsBackToNetConf();

private:
    Run cmd(const QStringList &arguments);
    // An account of the domain with that password, made anew; empty on success, else why not.
    QString makeAccount(const QString &login, const QString &password);
    void removeAccount(const QString &login);
    QStringList registryShares();
    // smbclient with credentials in a file: never a password on a command line.
    Run smbclient(const QString &user, const QString &password, const QStringList &arguments);
    // The share as Samba's own tool shows it from the registry; empty when there is none.
    QString showshare(const QString &name);
    // A store whose helper runs that program instead of Samba's python, and that tells notices to the list.
    std::unique_ptr<SambaShareStore> store(
        QStringList &notices, const QString &python = u"/usr/bin/python3"_s, int answerWithinMs = 60 * 1000);
    // The processes this one started and has not collected, each as "pid state".
    static QStringList childProcesses();
    // A folder of drive E, made.
    QString folder(const QString &name);

    DcFixture &m_dc;
    std::unique_ptr<TempProgramFolder> m_folder;
};

void TestSambaShares::init()
{
    m_folder = std::make_unique<TempProgramFolder>();
    m_folder->writeSettings();
    m_folder->installPrograms();
    const Status pointed = DcFixture::pointProgramFolder(m_folder->path());
    QVERIFY2(pointed.ok(), qPrintable(pointed.message()));
}

void TestSambaShares::cleanup()
{
    for (const QString &name : registryShares())
        DcFixture::runProgram(QStringLiteral("net"),
            {QStringLiteral("-s"), m_dc.sambaConf(), QStringLiteral("conf"), QStringLiteral("delshare"),
                QStringLiteral("--"), name});
    m_folder.reset();
}

Run TestSambaShares::cmd(const QStringList &arguments)
{
    return DcFixture::runProgram(m_folder->path() + QStringLiteral("/cmd"), arguments, m_folder->path());
}

QStringList TestSambaShares::registryShares()
{
    const Run listed = DcFixture::runProgram(QStringLiteral("net"),
        {QStringLiteral("-s"), m_dc.sambaConf(), QStringLiteral("conf"), QStringLiteral("listshares")});
    QStringList names = listed.output.split(u'\n', Qt::SkipEmptyParts);
    for (QString &name : names)
        name = name.trimmed();
    return names;
}

Run TestSambaShares::smbclient(const QString &user, const QString &password, const QStringList &arguments)
{
    return DcFixture::smbclient(m_folder->path(), user, password, arguments);
}

void TestSambaShares::sharesAreTheServers()
{
    QVERIFY(QDir().mkpath(m_folder->drive(QStringLiteral("E")) + QStringLiteral("/public/6A")));
    Run made = cmd({QStringLiteral("/c"), QStringLiteral("net"), QStringLiteral("share"),
        QStringLiteral("6A=E:\\public\\6A"), QStringLiteral("/unlimited"), QStringLiteral("/remark:Classe de 6A")});
    QVERIFY2(made.exitCode == 0, qPrintable(made.output));
    QVERIFY(registryShares().contains(QStringLiteral("6A")));
    // Not in the program folder's own list: the shares are the server's.
    QVERIFY(!m_folder->exists(QStringLiteral("partages.txt")));

    const Run seen = smbclient(
        QStringLiteral("Administrator"), m_dc.adminPassword(), {QStringLiteral("-L"), QStringLiteral("//127.0.0.1")});
    QVERIFY2(seen.exitCode == 0, qPrintable(seen.output));
    QVERIFY2(seen.output.contains(QStringLiteral("6A")) && seen.output.contains(QStringLiteral("Classe de 6A")),
        qPrintable(seen.output));

    const Run listed = cmd({QStringLiteral("/c"), QStringLiteral("net"), QStringLiteral("share")});
    QCOMPARE(listed.exitCode, 0);
    QVERIFY2(listed.output.contains(QStringLiteral("6A")) && listed.output.contains(QStringLiteral("/public/6A")),
        qPrintable(listed.output));

    // A name is the server's once, whatever its case.
    const Run again = cmd({QStringLiteral("/c"), QStringLiteral("net"), QStringLiteral("share"),
        QStringLiteral("6a=E:\\public\\6A"), QStringLiteral("/unlimited")});
    QVERIFY(again.exitCode != 0);
    QVERIFY2(again.output.contains(QStringLiteral("existe déjà")), qPrintable(again.output));

    const Run removed = cmd({QStringLiteral("/c"), QStringLiteral("net"), QStringLiteral("share"), QStringLiteral("6a"),
        QStringLiteral("/delete")});
    QVERIFY2(removed.exitCode == 0, qPrintable(removed.output));
    QVERIFY(!registryShares().contains(QStringLiteral("6A")));
    const Run twice = cmd({QStringLiteral("/c"), QStringLiteral("net"), QStringLiteral("share"), QStringLiteral("6A"),
        QStringLiteral("/delete")});
    QVERIFY(twice.exitCode != 0);
    QVERIFY2(twice.output.contains(QStringLiteral("n'existe pas")), qPrintable(twice.output));
}

void TestSambaShares::personalFolderBelongsToItsAccount()
{
    auto directory = LdapDirectory::open(*m_dc.config());
    QVERIFY(directory.ok());
    auto parent = (*directory)->bind(QStringLiteral("WinNT://SERVEUR1"));
    QVERIFY(parent.ok());
    const QString login = QStringLiteral("6Adupontjean");
    auto user = (*parent)->create(DirKind::User, login);
    QVERIFY((*user)->setPassword(QStringLiteral("Cahier-2024")).ok());
    const Status stored = (*user)->setInfo();
    QVERIFY2(stored.ok(), qPrintable(stored.message()));

    // As the pupil creation runs it: the script makes the folder and shares it as login$.
    QVERIFY(QDir().mkpath(m_folder->drive(QStringLiteral("E")) + QStringLiteral("/perso/eleves/6A")));
    const Run made = cmd({QStringLiteral("perso.bat"), QStringLiteral("E:\\perso\\eleves\\6A\\") + login, login});
    QVERIFY2(made.exitCode == 0, qPrintable(made.output));
    const QString folder = m_folder->drive(QStringLiteral("E")) + QStringLiteral("/perso/eleves/6A/") + login;
    struct stat info;
    QVERIFY(::stat(QFile::encodeName(folder).constData(), &info) == 0);
    const Run uid = DcFixture::runProgram(QStringLiteral("sh"),
        {QStringLiteral("-c"),
            QStringLiteral("wbinfo --sid-to-uid=$(wbinfo --name-to-sid=%1 | cut -d' ' -f1)").arg(login)});
    QCOMPARE(QString::number(info.st_uid), uid.output.trimmed());

    // The pupil writes there, through the share that is the account's home directory.
    m_folder->writeFile(QStringLiteral("devoir.txt"), "Mon devoir\n");
    const Run written = smbclient(login, QStringLiteral("Cahier-2024"),
        {QStringLiteral("//127.0.0.1/%1$").arg(login), QStringLiteral("-c"),
            QStringLiteral("put %1/devoir.txt devoir.txt").arg(m_folder->path())});
    QVERIFY2(
        written.exitCode == 0 && !written.output.contains(QStringLiteral("NT_STATUS")), qPrintable(written.output));
    QVERIFY(QFile::exists(folder + QStringLiteral("/devoir.txt")));

    // A hidden share that names no account hands nothing over.
    QVERIFY(QDir().mkpath(m_folder->drive(QStringLiteral("E")) + QStringLiteral("/archives")));
    QCOMPARE(cmd({QStringLiteral("/c"), QStringLiteral("net"), QStringLiteral("share"),
                     QStringLiteral("archives$=E:\\archives")})
                 .exitCode,
        0);
    QVERIFY(
        ::stat(QFile::encodeName(m_folder->drive(QStringLiteral("E")) + QStringLiteral("/archives")).constData(), &info)
        == 0);
    QCOMPARE(info.st_uid, ::getuid());

    QVERIFY((*parent)->deleteObject(DirKind::User, login).ok());
}

QString TestSambaShares::makeAccount(const QString &login, const QString &password)
{
    auto directory = LdapDirectory::open(*m_dc.config());
    if (!directory)
        return directory.message();
    auto parent = (*directory)->bind(QStringLiteral("WinNT://SERVEUR1"));
    if (!parent)
        return parent.message();
    (*parent)->deleteObject(DirKind::User, login).ok(); // left by an earlier run, or not there
    auto user = (*parent)->create(DirKind::User, login);
    if (!user)
        return user.message();
    if (Status set = (*user)->setPassword(password); !set)
        return set.message();
    const Status stored = (*user)->setInfo();
    return stored ? QString() : stored.message();
}

void TestSambaShares::removeAccount(const QString &login)
{
    auto directory = LdapDirectory::open(*m_dc.config());
    if (!directory)
        return;
    if (auto parent = (*directory)->bind(QStringLiteral("WinNT://SERVEUR1")))
        QVERIFY((*parent)->deleteObject(DirKind::User, login).ok());
}

void TestSambaShares::personalFoldersArePrivate()
{
    // Two pupils and a teacher, their folders made and shared as the enrolments run the scripts.
    const QString password = QStringLiteral("Tz8-kq4Lm!");
    const QString pupil = QStringLiteral("TS8MARTINPaul");
    const QString other = QStringLiteral("1S2LEFEBVRECh");
    const QString teacher = QStringLiteral("DURANDAnne");
    for (const QString &login : {pupil, other, teacher}) {
        const QString made = makeAccount(login, password);
        QVERIFY2(made.isEmpty(), qPrintable(made));
    }
    const QString e = m_folder->drive(QStringLiteral("E"));
    QVERIFY(QDir().mkpath(e + QStringLiteral("/Perso/eleves/TS8")));
    QVERIFY(QDir().mkpath(e + QStringLiteral("/Perso/eleves/1S2")));
    QVERIFY(QDir().mkpath(e + QStringLiteral("/Perso/profs")));
    for (const QStringList &line : {QStringList {u"perso.bat"_s, u"E:\\Perso\\eleves\\TS8\\"_s + pupil, pupil},
             QStringList {u"perso.bat"_s, u"E:\\Perso\\eleves\\1S2\\"_s + other, other},
             QStringList {u"prof.bat"_s, u"E:\\Perso\\profs\\"_s + teacher, teacher}}) {
        const Run made = cmd(line);
        QVERIFY2(made.exitCode == 0, qPrintable(made.output));
    }
    m_folder->writeFile(QStringLiteral("devoir.txt"), "Mon devoir\n");
    const QString put = QStringLiteral("put %1/devoir.txt devoir.txt").arg(m_folder->path());
    const auto denied
        = [](const Run &run) { return run.exitCode != 0 || run.output.contains(QStringLiteral("NT_STATUS")); };

    struct Owner
    {
        QString login;
        QString folder;
    };
    for (const Owner &owner :
        {Owner {pupil, e + u"/Perso/eleves/TS8/"_s + pupil}, Owner {teacher, e + u"/Perso/profs/"_s + teacher}}) {
        const QString share = QStringLiteral("//127.0.0.1/%1$").arg(owner.login);
        // The owner writes and reads back.
        const Run written = smbclient(owner.login, password, {share, QStringLiteral("-c"), put});
        QVERIFY2(!denied(written), qPrintable(written.output));
        const Run read = smbclient(owner.login, password,
            {share, QStringLiteral("-c"), QStringLiteral("get devoir.txt %1/relu.txt").arg(m_folder->path())});
        QVERIFY2(
            !denied(read) && m_folder->readFile(QStringLiteral("relu.txt")) == "Mon devoir\n", qPrintable(read.output));
        QFile::remove(m_folder->path() + QStringLiteral("/relu.txt"));

        // Another pupil, with his own password, neither lists nor reads.
        const Run listed = smbclient(other, password, {share, QStringLiteral("-c"), QStringLiteral("ls")});
        QVERIFY2(denied(listed) && !listed.output.contains(QStringLiteral("devoir.txt")), qPrintable(listed.output));
        const Run stolen = smbclient(other, password,
            {share, QStringLiteral("-c"), QStringLiteral("get devoir.txt %1/vole.txt").arg(m_folder->path())});
        QVERIFY2(denied(stolen), qPrintable(stolen.output));
        QVERIFY(!m_folder->exists(QStringLiteral("vole.txt")));

        // The domain's administrators still reach it.
        const Run administered = smbclient(
            QStringLiteral("Administrator"), m_dc.adminPassword(), {share, QStringLiteral("-c"), QStringLiteral("ls")});
        QVERIFY2(!denied(administered) && administered.output.contains(QStringLiteral("devoir.txt")),
            qPrintable(administered.output));

        // Nobody else on the server reads the folder either.
        struct stat info;
        QVERIFY(::stat(QFile::encodeName(owner.folder).constData(), &info) == 0);
        QCOMPARE(info.st_mode & S_IRWXO, mode_t(0));
        QVERIFY(info.st_uid != ::getuid());
    }
    for (const QString &login : {pupil, other, teacher})
        removeAccount(login);
}

void TestSambaShares::onlyFoldersInsideADriveAreGiven_data()
{
    QTest::addColumn<QString>("path"); // as given to net share; %P% the program folder
    QTest::addColumn<QString>("folder"); // the host folder that must keep its owner

    QTest::newRow("the program folder") << "."
                                        << "%P%";
    QTest::newRow("the program folder by its host path") << "%P%"
                                                         << "%P%";
    QTest::newRow("climbing to a drive's folder") << "E:\\..\\..\\.."
                                                  << "%P%/drives/e";
    QTest::newRow("the folder above the drives") << "%P%/drives"
                                                 << "%P%/drives";
}

void TestSambaShares::onlyFoldersInsideADriveAreGiven()
{
    QFETCH(QString, path);
    QFETCH(QString, folder);
    const QString login = QStringLiteral("alice");
    const QString made = makeAccount(login, QStringLiteral("Tz8-kq4Lm!"));
    QVERIFY2(made.isEmpty(), qPrintable(made));
    path.replace(QStringLiteral("%P%"), m_folder->path());
    folder.replace(QStringLiteral("%P%"), m_folder->path());

    const Run shared
        = cmd({QStringLiteral("/c"), QStringLiteral("net"), QStringLiteral("share"), login + u"$="_s + path});
    QVERIFY2(shared.exitCode == 0, qPrintable(shared.output));
    struct stat info;
    QVERIFY(::stat(QFile::encodeName(folder).constData(), &info) == 0);
    QCOMPARE(info.st_uid, ::getuid());
    QVERIFY(info.st_mode & S_IROTH);
    QVERIFY2(shared.output.contains(QStringLiteral("sans changer de propriétaire")), qPrintable(shared.output));
    removeAccount(login);
}

void TestSambaShares::controlCharactersAreRefused()
{
    QVERIFY(QDir().mkpath(m_folder->drive(QStringLiteral("E")) + QStringLiteral("/Perso")));
    const Run made = cmd({QStringLiteral("/c"), QStringLiteral("net"), QStringLiteral("share"),
        QStringLiteral("v$=E:\\Perso"), QStringLiteral("/remark:a\nevil")});
    QVERIFY(made.exitCode != 0);
    QVERIFY2(made.output.contains(QStringLiteral("caractère de contrôle")), qPrintable(made.output));
    QVERIFY(!registryShares().contains(QStringLiteral("v$")));
}

void TestSambaShares::unusableConfigurationSharesNothing()
{
    m_folder->writeFile(QStringLiteral("annuaire.conf"), "uri=ldaps://127.0.0.1\nsambconf=/etc/samba/smb.conf\n");
    QVERIFY(QDir().mkpath(m_folder->drive(QStringLiteral("E")) + QStringLiteral("/public")));
    const Run made = cmd(
        {QStringLiteral("/c"), QStringLiteral("net"), QStringLiteral("share"), QStringLiteral("public=E:\\public")});
    QVERIFY(made.exitCode != 0);
    QVERIFY2(made.output.contains(QStringLiteral("annuaire.conf")), qPrintable(made.output));
    QVERIFY(!m_folder->exists(QStringLiteral("partages.txt")));
    QVERIFY(!registryShares().contains(QStringLiteral("public")));
}

void TestSambaShares::listParsing()
{
    const QByteArray text = "[global]\n\tworkgroup = X\n\n[6A]\n\tpath = /srv/e/public/6A\n\tcomment = Classe = 6A\n"
                            "\tread only = no\n\n[dupont$]\n\tpath = /srv/e/perso/dupont jean\n\tcomment = \n";
    const QList<Share> shares = SambaShareStore::parseList(text);
    QCOMPARE(shares.size(), 2);
    QCOMPARE(shares[0].name, QStringLiteral("6A"));
    QCOMPARE(shares[0].hostPath, QStringLiteral("/srv/e/public/6A"));
    QCOMPARE(shares[0].remark, QStringLiteral("Classe = 6A"));
    QCOMPARE(shares[1].name, QStringLiteral("dupont$"));
    QCOMPARE(shares[1].path, QStringLiteral("/srv/e/perso/dupont jean"));
    QCOMPARE(shares[1].remark, QString());
}

QString TestSambaShares::showshare(const QString &name)
{
    const Run shown = DcFixture::runProgram(QStringLiteral("net"),
        {QStringLiteral("-s"), m_dc.sambaConf(), QStringLiteral("conf"), QStringLiteral("showshare"),
            QStringLiteral("--"), name});
    return shown.exitCode == 0 ? shown.output : QString();
}

std::unique_ptr<SambaShareStore> TestSambaShares::store(QStringList &notices, const QString &python, int answerWithinMs)
{
    SambaShareStore::Bindings bindings;
    bindings.python = python;
    bindings.answerWithin = std::chrono::milliseconds(answerWithinMs);
    bindings.notice = [&notices](const QString &notice) { notices << notice; };
    return std::make_unique<SambaShareStore>(m_dc.sambaConf(), bindings);
}

QStringList TestSambaShares::childProcesses()
{
    QStringList children;
    const QByteArray self = QByteArray::number(::getpid());
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...", where the name may hold anything.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> rest = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (rest.size() > 1 && rest[1] == self)
            children << pid + u' ' + QString::fromLatin1(rest[0]);
    }
    return children;
}

QString TestSambaShares::folder(const QString &name)
{
    const QString path = m_folder->drive(QStringLiteral("E")) + u'/' + name;
    return QDir().mkpath(path) ? path : QString();
}

void TestSambaShares::storeWritesWhatNetConfWrites()
{
    // The same two shares through the bindings and through "net conf" alone: Samba shows the same.
    const QString login = QStringLiteral("6Bmoreau");
    const QString made = makeAccount(login, QStringLiteral("Tz8-kq4Lm!"));
    QVERIFY2(made.isEmpty(), qPrintable(made));
    const QList<Share> shares {Share {u"6B"_s, u"E:\\public\\6B"_s, folder(u"public/6B"_s), u"Classe de 6B"_s},
        Share {login + u'$', u"E:\\Perso\\"_s + login, folder(u"Perso/"_s + login), QString(), true}};
    QStringList notices;
    QStringList throughBindings;
    {
        auto bindings = store(notices);
        for (const Share &share : shares) {
            const Status added = bindings->add(share);
            QVERIFY2(added.ok(), qPrintable(added.message()));
            throughBindings << showshare(share.name);
            QVERIFY(bindings->remove(share.name).ok());
        }
    }
    QVERIFY2(notices.isEmpty(), qPrintable(notices.join(u'\n')));
    // Its helper ended with the store.
    QCOMPARE(childProcesses(), QStringList());

    auto netConf = store(notices, u"/nonexistent/python3"_s);
    for (qsizetype i = 0; i < shares.size(); ++i) {
        const Status added = netConf->add(shares[i]);
        QVERIFY2(added.ok(), qPrintable(added.message()));
        QCOMPARE(throughBindings[i], showshare(shares[i].name));
    }
    QCOMPARE(notices.size(), 1);

    // The personal share admits its account and the domain's administrators, and no one else.
    const QString sid = DcFixture::runProgram(QStringLiteral("wbinfo"), {QStringLiteral("--name-to-sid=") + login})
                            .output.section(u' ', 0, 0);
    QVERIFY(sid.startsWith(QStringLiteral("S-1-5-21-")));
    QCOMPARE(throughBindings[1],
        QStringLiteral(
            "[%1$]\n\tpath = %2\n\tcomment = \n\tguest ok = no\n\tread only = no\n\tvalid users = %3 %4-512\n")
            .arg(login, shares[1].hostPath, sid, sid.section(u'-', 0, -2)));
    QVERIFY(throughBindings[0].contains(QStringLiteral("\tcomment = Classe de 6B\n")));
    QVERIFY(!throughBindings[0].contains(QStringLiteral("valid users")));

    // The folder went to the account through both.
    struct stat info;
    QVERIFY(::stat(QFile::encodeName(shares[1].hostPath).constData(), &info) == 0);
    QVERIFY(info.st_uid != ::getuid());
    removeAccount(login);
}

void TestSambaShares::oddCharacters_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("folder"); // below drive E
    QTest::addColumn<QString>("remark");

    // clang-format off
    QTest::newRow("spaces and accents") << u"Salle de 6ème"_s << u"Travaux d'élèves"_s << u"« Classe » de 6ème"_s;
    QTest::newRow("quotes and backslashes") << u"l'atelier"_s << u"dossier \"cité\" \\ 'x'"_s << u"\"entre guillemets\" \\ fin"_s;
    QTest::newRow("what a configuration line might read") << u"#dièse & co"_s << u"a=b;c#d [x]"_s << u"= ; # [global] %u $HOME {}"_s;
    QTest::newRow("a leading dash") << u"-tiret"_s << u"-tiret"_s << u"-x --"_s;
    QTest::newRow("hidden, of no account") << u"personne-ici$"_s << u"archives"_s << QString();
    QTest::newRow("beyond Latin") << u"日本語"_s << u"ελληνικά"_s << u"cartable 🎒 inclus"_s;
    // clang-format on
}

void TestSambaShares::oddCharacters()
{
    QFETCH(QString, name);
    QFETCH(QString, folder);
    QFETCH(QString, remark);
    const QString host = this->folder(folder);
    QVERIFY(!host.isEmpty());
    QStringList notices;
    auto shares = store(notices);

    const Status added = shares->add(Share {name, u"E:\\"_s + folder, host, remark});
    QVERIFY2(added.ok(), qPrintable(added.message()));
    const QString shown = showshare(name);
    QVERIFY2(shown.startsWith(u'[' + name + u"]\n"_s), qPrintable(shown));
    QVERIFY2(shown.contains(u"\tpath = "_s + host + u'\n'), qPrintable(shown));
    QVERIFY2(shown.contains(u"\tcomment = "_s + remark + u'\n'), qPrintable(shown));
    auto listed = shares->list();
    QVERIFY2(listed.ok(), qPrintable(listed.message()));
    const auto found = std::find_if(listed->begin(), listed->end(), [&](const Share &s) { return s.name == name; });
    QVERIFY(found != listed->end());
    QCOMPARE(found->hostPath, host);
    QCOMPARE(found->remark, remark);

    const Status removed = shares->remove(name);
    QVERIFY2(removed.ok(), qPrintable(removed.message()));
    QVERIFY(showshare(name).isEmpty());
    const Status twice = shares->remove(name);
    QCOMPARE(twice.message(), QStringLiteral("Le partage « %1 » n'existe pas.").arg(name));
    QVERIFY2(notices.isEmpty(), qPrintable(notices.join(u'\n')));
}

void TestSambaShares::namesSambaRefuses_data()
{
    QTest::addColumn<QString>("python"); // the bindings, or none: "net conf" alone
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("refusal");

    const QString notCreated = u"n'a pas pu être créé dans Samba"_s;
    for (const QString &python : {u"/usr/bin/python3"_s, u"/nonexistent/python3"_s}) {
        const char *how = python.startsWith(u"/usr") ? "bindings" : "net conf";
        QTest::addRow("%s: taken in another case", how) << python << u"6a"_s << u"Le partage « 6a » existe déjà."_s;
        QTest::addRow("%s: a percent sign", how) << python << u"a%b"_s << notCreated;
        QTest::addRow("%s: global", how) << python << u"global"_s << notCreated;
        QTest::addRow("%s: GLOBAL", how) << python << u"GLOBAL"_s << notCreated;
    }
}

void TestSambaShares::namesSambaRefuses()
{
    QFETCH(QString, python);
    QFETCH(QString, name);
    QFETCH(QString, refusal);
    const QString host = folder(u"public/6A"_s);
    QStringList notices;
    // Two stores, as two interpreters have them: what one writes, the other's helper, already
    // running, sees.
    auto shares = store(notices, python);
    QVERIFY(shares->list().ok());
    QVERIFY(store(notices, python)->add(Share {u"6A"_s, u"E:\\public\\6A"_s, host, u"Classe de 6A"_s}).ok());
    const QString before = showshare(u"6A"_s);

    const Status added = shares->add(Share {name, u"E:\\public\\6A"_s, host, u"Autre"_s});
    QVERIFY(!added.ok());
    QVERIFY2(added.message().contains(refusal), qPrintable(added.message()));
    // Nothing written: no new section, not even the common one, and the share that was there unchanged.
    QCOMPARE(registryShares(), QStringList {u"6A"_s});
    QCOMPARE(showshare(u"6A"_s), before);
    // The bindings did the work when they were there to do it.
    QCOMPARE(notices.isEmpty(), python == u"/usr/bin/python3"_s);
}

void TestSambaShares::fallsBackToNetConf_data()
{
    QTest::addColumn<QByteArray>("helper"); // a script run instead of python; empty: no such program
    QTest::addColumn<int>("answerWithinMs");

    // clang-format off
    QTest::newRow("no python") << QByteArray() << 60000;
    QTest::newRow("python without Samba's modules") << QByteArray("exec /usr/bin/python3 -S \"$@\"\n") << 60000;
    QTest::newRow("ends once it said it is ready") << QByteArray("echo '{\"ready\": true}'\n") << 60000;
    QTest::newRow("dies at the first request") << QByteArray("echo '{\"ready\": true}'\nread request\nexit 3\n") << 60000;
    QTest::newRow("writes the share, then dies before answering") << QByteArray("/usr/bin/python3 \"$@\" | head -n 1\n") << 60000;
    QTest::newRow("never answers") << QByteArray("echo '{\"ready\": true}'\nexec sleep 600\n") << 1000;
    QTest::newRow("answers gibberish") << QByteArray("echo '{\"ready\": true}'\nread request\necho 'Traceback (most recent call last):'\nexec cat >/dev/null\n") << 60000;
    // clang-format on
}

void TestSambaShares::fallsBackToNetConf()
{
    QFETCH(QByteArray, helper);
    QFETCH(int, answerWithinMs);
    QString python = QStringLiteral("/nonexistent/python3");
    if (!helper.isEmpty()) {
        m_folder->writeFile(QStringLiteral("python"), "#!/bin/sh\n" + helper);
        python = m_folder->path() + QStringLiteral("/python");
        QVERIFY(QFile::setPermissions(python, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
    const QString login = QStringLiteral("6Cgarnier");
    const QString made = makeAccount(login, QStringLiteral("Tz8-kq4Lm!"));
    QVERIFY2(made.isEmpty(), qPrintable(made));
    const Share personal {login + u'$', u"E:\\Perso\\"_s + login, folder(u"Perso/"_s + login), QString(), true};
    const Share classShare {u"6C"_s, u"E:\\public\\6C"_s, folder(u"public/6C"_s), u"Classe de 6C"_s};
    QStringList notices;
    auto shares = store(notices, python, answerWithinMs);

    // The personal share first: the request the helper had in hand when it went away is not lost.
    for (const Share &share : {personal, classShare}) {
        const Status added = shares->add(share);
        QVERIFY2(added.ok(), qPrintable(added.message()));
    }
    const QString sid = DcFixture::runProgram(QStringLiteral("wbinfo"), {QStringLiteral("--name-to-sid=") + login})
                            .output.section(u' ', 0, 0);
    QVERIFY2(
        showshare(personal.name)
            .endsWith(
                QStringLiteral("\tread only = no\n\tvalid users = %1 %2-512\n").arg(sid, sid.section(u'-', 0, -2))),
        qPrintable(showshare(personal.name)));
    QVERIFY(showshare(classShare.name).contains(QStringLiteral("\tcomment = Classe de 6C\n")));
    auto listed = shares->list();
    QVERIFY2(listed.ok(), qPrintable(listed.message()));
    QCOMPARE(listed->size(), 2);
    QCOMPARE(shares->add(classShare).message(), QStringLiteral("Le partage « 6C » existe déjà."));
    QVERIFY(shares->remove(classShare.name).ok());

    // Said once, and no helper left behind, not even as a zombie.
    QCOMPARE(notices.size(), 1);
    QVERIFY2(notices[0].contains(QStringLiteral("rien n'est perdu")), qPrintable(notices[0]));
    QCOMPARE(childProcesses(), QStringList());
    removeAccount(login);
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    return DcFixture::runTests([&](DcFixture &dc) {
        TestSambaShares test(dc);
        return QTest::qExec(&test, argc, argv);
    });
}

#include "tst_samba_shares.moc"
