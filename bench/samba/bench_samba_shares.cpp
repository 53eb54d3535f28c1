// What a personal share costs in the throwaway DC's Samba, the account's folder handed over included,
// for COUNT accounts each way:
//
//   1. one store for all of them, its helper on Samba's Python bindings kept (an interpreter that
//      lives for the whole run);
//   2. a store of its own for each share (an interpreter started per script line), so a helper
//      started per share;
//   3. "net conf" alone, two processes per share, as the store falls back to.
//
//   bench_samba_shares [COUNT]      (default: 300)
#include "cmd/samba/sambasharestore.h"
#include "ldaptools.h"
#include "support/dcfixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <memory>

namespace {

void fail(const QString &what)
{
    std::fprintf(stderr, "bench_samba_shares: %s\n", qPrintable(what));
}

QString login(const QString &prefix, int i)
{
    return QStringLiteral("%1%2").arg(prefix).arg(i);
}

// COUNT accounts named prefix + number, in one LDIF.
Status addAccounts(const DcFixture &dc, const QString &prefix, int count, const QString &folder)
{
    auto config = dc.config();
    if (!config)
        return config.status();
    QByteArray ldif;
    for (int i = 0; i < count; ++i) {
        const QByteArray name = login(prefix, i).toUtf8();
        ldif += "dn: CN=" + name + ",CN=Users," + config->base.toUtf8() + "\nobjectClass: user\nsAMAccountName: " + name
            + "\n\n";
    }
    const QString file = folder + QStringLiteral("/") + prefix + QStringLiteral(".ldif");
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(ldif) != ldif.size())
        return Status::failure(QStringLiteral("cannot write ") + file);
    out.close();
    return runLdapTool(*config, QStringLiteral("ldapadd"), {QStringLiteral("-f"), file});
}

// Shares login$ for COUNT accounts, each in a folder of its own made before the clock starts; the
// store comes from storeFor, asked once per share. Shares per second, or a negative number.
double share(const QString &prefix, int count, const QString &folder,
    const std::function<std::unique_ptr<SambaShareStore>()> &storeFor, bool storePerShare)
{
    QList<Share> shares;
    for (int i = 0; i < count; ++i) {
        const QString host = folder + QStringLiteral("/") + login(prefix, i);
        if (!QDir().mkpath(host)) {
            fail(QStringLiteral("cannot make ") + host);
            return -1;
        }
        shares.append(Share {login(prefix, i) + u'$', host, host, QString(), true});
    }
    std::unique_ptr<SambaShareStore> store;
    QElapsedTimer timer;
    timer.start();
    for (const Share &s : std::as_const(shares)) {
        if (!store || storePerShare)
            store = storeFor();
        if (const Status added = store->add(s); !added) {
            fail(added.message());
            return -1;
        }
    }
    store.reset();
    return count * 1000.0 / qMax<qint64>(timer.elapsed(), 1);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int count = 300;
    if (argc > 1) {
        bool number = false;
        count = QString::fromLocal8Bit(argv[1]).toInt(&number);
        if (!number || count <= 0) {
            fail(QStringLiteral("usage: bench_samba_shares [COUNT]   (default: 300)"));
            return 2;
        }
    }
    QTemporaryDir dir;
    DcFixture dc;
    if (Status started = dc.start(); !started) {
        fail(started.message());
        return 1;
    }
    QStringList notices;
    const auto storeWith = [&](const QString &python) {
        return [&dc, &notices, python] {
            SambaShareStore::Bindings bindings;
            bindings.python = python;
            bindings.notice = [&notices](const QString &notice) { notices << notice; };
            return std::make_unique<SambaShareStore>(dc.sambaConf(), bindings);
        };
    };
    struct Way
    {
        const char *what;
        QString prefix;
        QString python;
        bool storePerShare;
        double rate = -1;
    };
    QList<Way> ways {
        {"bindings, one helper for the whole run", QStringLiteral("kept"), QStringLiteral("/usr/bin/python3"), false},
        {"bindings, a helper started per share", QStringLiteral("each"), QStringLiteral("/usr/bin/python3"), true},
        {"net conf, two processes per share", QStringLiteral("netconf"), QStringLiteral("/nonexistent/python3"),
            false}};
    bool complete = true;
    for (Way &way : ways) {
        if (const Status added = addAccounts(dc, way.prefix, count, dir.path()); !added) {
            fail(added.message());
            complete = false;
            break;
        }
        way.rate = share(way.prefix, count, dir.path(), storeWith(way.python), way.storePerShare);
        complete = complete && way.rate > 0;
    }
    if (const Status stopped = dc.stop(); !stopped)
        fail(QStringLiteral("the domain controller did not stop: ") + stopped.message());
    // Only the "net conf" way may have gone over to it.
    if (notices.size() != 1) {
        fail(QStringLiteral("the bindings were not used throughout: ") + notices.join(QStringLiteral(" / ")));
        complete = false;
    }
    if (!complete)
        return 1;

    std::printf("Personal shares per second in the DC's Samba, %d each way:\n\n| How | shares/s | ms per share |\n"
                "|---|---|---|\n",
        count);
    for (const Way &way : std::as_const(ways))
        std::printf("| %s | %.1f | %.1f |\n", way.what, way.rate, 1000.0 / way.rate);
    return 0;
}
