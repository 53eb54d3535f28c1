#include "parametre.h"

#include "principale.h"
#include "program/services.h"
#include "program/settingsfiles.h"
#include "text/fieldreader.h"
#include "text/pathresolver.h"
#include "ui/formbuilder.h"
#include "ui/prompts.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

Parametre::Parametre(Services &services, Principale &principale)
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_services(services)
    , m_principale(principale)
{
    setUpFixedWindow(this, "parametre", QStringLiteral("Paramètres"), 5550, 4200);

    FormBuilder form(this);
    QGroupBox *frame1 = form.frame(this, "Frame1", QStringLiteral("Information sur l'annuaire"), 120, 240, 5295, 2655);
    form.label(frame1, "Label1", QStringLiteral("Nom du domaine :"), 240, 360, 1935, 255);
    domaine = form.textBox(frame1, "domaine", QString(), 2280, 360, 2055, 285);
    form.label(frame1, "Label2", QStringLiteral("Nom du serveur :"), 960, 840, 1215, 195);
    serveur = form.textBox(frame1, "serveur", QString(), 2280, 840, 2055, 285);
    QGroupBox *frame2
        = form.frame(frame1, "Frame2", QStringLiteral("Mode de fonctionnement du logiciel"), 120, 1320, 5055, 1215);
    option1 = form.option(
        frame2, "Option1", QStringLiteral("Gestion des groupes et des utilisateurs"), 120, 360, 4455, 255);
    option2 = form.option(frame2, "Option2", QStringLiteral("Gestion des groupes et des utilisateurs + création du SI"),
        120, 720, 4815, 255);
    form.label(this, "Label3", QStringLiteral("Volume système :"), 1440, 3000, 1455, 255);
    text1 = form.textBox(this, "Text1", QString(), 3000, 3000, 735, 285);
    QPushButton *command1 = form.button(this, "Command1", QStringLiteral("Ok"), 960, 3720, 1695, 375);
    QPushButton *command2 = form.button(this, "Command2", QStringLiteral("Annuler"), 2880, 3720, 1815, 375);
    form.finish();

    // The two options share their frame: selecting one, by click, keyboard or assistive tool, unselects
    // the other, and the selected one cannot be unselected. Neither is selected after a mode file that
    // names neither.
    option1->setAutoExclusive(true);
    option2->setAutoExclusive(true);

    connect(command1, &QPushButton::clicked, this, &Parametre::accept);
    connect(command2, &QPushButton::clicked, this, &QWidget::close);

    load();
}

void Parametre::load()
{
    QStringList missing;
    if (const auto names = SettingsFiles::readDomainNames(m_services.paths)) {
        domaine->setText(names->domain);
        serveur->setText(names->server);
    } else {
        missing << QStringLiteral("parametres.txt");
    }
    if (const auto mode = SettingsFiles::readModeField(m_services.paths)) {
        option1->setChecked(*mode == 1);
        option2->setChecked(*mode == 2);
    } else {
        missing << QStringLiteral("mode.txt");
    }
    if (const auto volume = SettingsFiles::readSystemVolume(m_services.paths))
        text1->setText(*volume);
    else
        missing << QStringLiteral("system.txt");
    if (!missing.isEmpty())
        m_services.prompts.message(
            QStringLiteral("Fichier de paramètres introuvable : %1. Les champs correspondants sont vides.")
                .arg(missing.join(QStringLiteral(", "))));
}

void Parametre::accept()
{
    const int mode = option1->isChecked() ? 1 : option2->isChecked() ? 2 : 0;
    const Status written
        = SettingsFiles::write(m_services.paths, {domaine->text(), serveur->text()}, mode, text1->text());
    if (!written) {
        // Nothing is rebuilt on a failed write: the files still hold the settings in use.
        m_services.prompts.message(
            QStringLiteral("Les paramètres n'ont pas pu être enregistrés.\r") + written.message());
        return;
    }
    m_principale.reload();
    close();
}
