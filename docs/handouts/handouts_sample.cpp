// Writes the handouts per class of a made-up class, to show what a page looks like.
//
//   handouts_sample OUT.html
#include "provisioning/classhandouts.h"

#include <QCoreApplication>
#include <QDate>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: handouts_sample OUT.html\n");
        return 2;
    }
    // Made-up pupils; the passwords hold the letters and digits a reader could mistake.
    const QList<AccountSheet::Row> rows {
        {QStringLiteral("TS8MARTINPaul"), QStringLiteral("l1o0ix"), QStringLiteral("MARTIN"), QStringLiteral("Paul"),
            QStringLiteral("TS8")},
        {QStringLiteral("TS8DURANDLéa"), QStringLiteral("q7kz1l"), QStringLiteral("DURAND"), QStringLiteral("Léa"),
            QStringLiteral("TS8")},
        {QStringLiteral("TS8PETITLuc"), QStringLiteral("b4n9wl"), QStringLiteral("PETIT"), QStringLiteral("Luc"),
            QStringLiteral("TS8")},
        {QStringLiteral("TS8LÉVÊQUEZo"), QStringLiteral("m2ii5s"), QStringLiteral("LÉVÊQUE"),
            QStringLiteral("Zoé Marie"), QStringLiteral("TS8")},
        {QStringLiteral("TS8ROUXAna"), QStringLiteral("t8o0pe"), QStringLiteral("ROUX"), QStringLiteral("Ana"),
            QStringLiteral("TS8")},
        {QStringLiteral("TS8BLANCMax"), QStringLiteral("z1l7ra"), QStringLiteral("BLANC"), QStringLiteral("Max"),
            QStringLiteral("TS8")},
    };
    const Status written = ClassHandouts::write(arguments[1], rows, QDate(2026, 9, 1));
    if (!written) {
        std::fprintf(stderr, "%s\n", qPrintable(written.message()));
        return 1;
    }
    return 0;
}
