// Not a test: shows the dialog "Vérification avant la création des utilisateurs" over the sample
// school of the tests, checked, until it is closed. scripts/screenshot verifeleves takes its picture.
#include "provisioning/verifeleves.h"
#include "provisioningfixture.h"
#include "pupilcheckfixture.h"
#include "ui/dialoghost.h"
#include "ui/formbuilder.h"

#include <QApplication>
#include <QPushButton>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmar"));
    useFormFont();

    PanelFixture school;
    if (const Status prepared = prepareSampleSchool(school); !prepared) {
        std::fprintf(stderr, "showverifeleves: %s\n", qPrintable(prepared.message()));
        return 1;
    }
    auto *dialog = school.dialogs.open<VerifEleves>(school.services);
    if (!dialog)
        return 1;
    dialog->cmdVerifier->click();
    QObject::connect(dialog, &QObject::destroyed, &app, &QApplication::quit);
    return app.exec();
}
