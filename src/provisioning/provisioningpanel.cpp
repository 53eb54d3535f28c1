#include "provisioningpanel.h"

#include "services.h"
#include "ui/formbuilder.h"

#include <QCheckBox>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

namespace {

QFont boldOf(const QWidget *w)
{
    QFont font = w->font();
    font.setBold(true);
    return font;
}

} // namespace

ProvisioningPanel::ProvisioningPanel(FormBuilder &form, Services &services, QObject *parent)
    : QObject(parent), m_services(services)
{
    QWidget *w = form.form();
    QFont heading(QStringLiteral("Times New Roman"));
    heading.setPointSizeF(14.25);
    heading.setBold(true);
    form.label(w, "Label15", QStringLiteral("Création d'un SI"), 9720, 120, 2025, 330)->setFont(heading);

    QLabel *label1 = form.label(w, "Label1", QStringLiteral("Créer le répertoire \"Public\""), 9120, 720, 2310, 195);
    label1->setFont(boldOf(label1));
    check1 = form.checkBox(w, "Check1", QString(), 12240, 720, 255, 255);
    FormBuilder::labelFor(check1, label1);
    form.label(w, "Label4", QStringLiteral("Chemin :"), 9120, 1080, 615, 195);
    txtPublic = form.textBox(w, "txt_public", QStringLiteral("E:\\Public"), 9840, 1080, 2535, 285);

    QLabel *label2 = form.label(w, "Label2", QStringLiteral("Créer le répertoire \"Matières\""), 9120, 1440, 2505, 195);
    label2->setFont(boldOf(label2));
    check2 = form.checkBox(w, "Check2", QString(), 12240, 1440, 255, 255);
    FormBuilder::labelFor(check2, label2);
    form.label(w, "Label5", QStringLiteral("Chemin :"), 9120, 1800, 615, 195);
    txtMatiere = form.textBox(w, "txt_matiere", QStringLiteral("E:\\Matieres"), 9840, 1800, 2535, 285);

    QLabel *label3 =
        form.label(w, "Label3", QStringLiteral("Création des répertoires personnels"), 9120, 2160, 3015, 195);
    label3->setFont(boldOf(label3));
    check3 = form.checkBox(w, "Check3", QString(), 12240, 2160, 255, 255);
    FormBuilder::labelFor(check3, label3);
    form.label(w, "Label6", QStringLiteral("Chemin :"), 9120, 2520, 615, 195);
    txtPerso = form.textBox(w, "txt_perso", QStringLiteral("E:\\Perso"), 9840, 2520, 2535, 285);

    QLabel *label7 = form.label(w, "Label7", QStringLiteral("Liste des Matières :"), 8880, 2880, 1680, 195);
    label7->setFont(boldOf(label7));
    matiere = form.listBox(w, "matiere", 8760, 3120, 2175, 1815);
    FormBuilder::labelFor(matiere, label7);
    matmoins = form.button(w, "matmoins", QStringLiteral("Supprimer"), 8760, 5040, 1095, 375);
    matplus = form.button(w, "matplus", QStringLiteral("Ajouter"), 9960, 5040, 975, 375);
    sauv = form.button(w, "sauv", QStringLiteral("sauvegarder"), 8760, 5520, 2175, 375);

    QLabel *label8 =
        form.label(w, "Label8", QStringLiteral("Base Orvo des élèves convertie :"), 9360, 6000, 2790, 195);
    label8->setFont(boldOf(label8));
    form.label(w, "Label9", QStringLiteral("Chemin :"), 9120, 6360, 615, 195);
    txtOrvo = form.textBox(w, "txt_orvo", QStringLiteral("C:\\ORVO.txt"), 9840, 6360, 2655, 285);
    txtOrvo->setAccessibleName(label8->text());

    QFont step = w->font();
    step.setPointSizeF(12);
    form.label(w, "Label16", QStringLiteral("1"), 9120, 6840, 135, 300)->setFont(step);
    cmdCreergrp = form.button(w, "cmd_creergrp", QStringLiteral("Créer les groupes"), 9360, 6840, 3015, 255);
    form.label(w, "Label17", QStringLiteral("2"), 9120, 7200, 135, 300)->setFont(step);
    cmdCreerrep = form.button(w, "cmd_creerrep", QStringLiteral("Créer les répertoires des matières"), 9360, 7200,
                              3015, 255);
    form.label(w, "Label18", QStringLiteral("3"), 9120, 7560, 135, 300)->setFont(step);
    cmdCreerutil =
        form.button(w, "cmd_creerutil", QStringLiteral("Créer les utilisateurs et droits"), 9360, 7560, 3015, 255);
    bar1 = form.progressBar(w, "bar1", 9000, 7920, 3735, 255);
    bar1->hide();

    for (QWidget *c : std::initializer_list<QWidget *>{txtPublic, txtMatiere, txtPerso, matiere, matmoins, matplus,
                                                       sauv, cmdCreerrep})
        c->setEnabled(false);
}
