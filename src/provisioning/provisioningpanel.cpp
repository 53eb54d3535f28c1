#include "provisioningpanel.h"

#include "bulkaccounts.h"
#include "classgroups.h"
#include "program/mainvalues.h"
#include "program/services.h"
#include "subjectfolders.h"
#include "subjectlist.h"
#include "ui/formbuilder.h"
#include "ui/paintnow.h"
#include "ui/prompts.h"

#include <QElapsedTimer>

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
    : QObject(parent)
    , m_services(services)
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

    QLabel *label3
        = form.label(w, "Label3", QStringLiteral("Création des répertoires personnels"), 9120, 2160, 3015, 195);
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

    QLabel *label8 = form.label(w, "Label8", QStringLiteral("Base Orvo des élèves convertie :"), 9360, 6000, 2790, 195);
    label8->setFont(boldOf(label8));
    form.label(w, "Label9", QStringLiteral("Chemin :"), 9120, 6360, 615, 195);
    txtOrvo = form.textBox(w, "txt_orvo", QStringLiteral("C:\\ORVO.txt"), 9840, 6360, 2655, 285);
    txtOrvo->setAccessibleName(label8->text());

    QFont step = w->font();
    step.setPointSizeF(12);
    form.label(w, "Label16", QStringLiteral("1"), 9120, 6840, 135, 300)->setFont(step);
    cmdCreergrp = form.button(w, "cmd_creergrp", QStringLiteral("Créer les groupes"), 9360, 6840, 3015, 255);
    form.label(w, "Label17", QStringLiteral("2"), 9120, 7200, 135, 300)->setFont(step);
    cmdCreerrep
        = form.button(w, "cmd_creerrep", QStringLiteral("Créer les répertoires des matières"), 9360, 7200, 3015, 255);
    form.label(w, "Label18", QStringLiteral("3"), 9120, 7560, 135, 300)->setFont(step);
    cmdCreerutil
        = form.button(w, "cmd_creerutil", QStringLiteral("Créer les utilisateurs et droits"), 9360, 7560, 3015, 255);
    bar1 = form.progressBar(w, "bar1", 9000, 7920, 3735, 255);
    bar1->hide();

    for (QWidget *c : std::initializer_list<QWidget *> {
             txtPublic, txtMatiere, txtPerso, matiere, matmoins, matplus, sauv, cmdCreerrep})
        c->setEnabled(false);

    connect(check1, &QCheckBox::toggled, this, &ProvisioningPanel::check1Clicked);
    connect(check2, &QCheckBox::toggled, this, &ProvisioningPanel::check2Clicked);
    connect(check3, &QCheckBox::toggled, this, &ProvisioningPanel::check3Clicked);
    connect(matiere, &QListWidget::itemSelectionChanged, this, [this] {
        if (!matiere->selectedItems().isEmpty())
            matmoins->setEnabled(true);
    });
    connect(matplus, &QPushButton::clicked, this, &ProvisioningPanel::addSubject);
    connect(matmoins, &QPushButton::clicked, this, &ProvisioningPanel::removeSubject);
    connect(sauv, &QPushButton::clicked, this, &ProvisioningPanel::saveSubjects);
    connect(cmdCreergrp, &QPushButton::clicked, this, &ProvisioningPanel::createGroups);
    connect(cmdCreerrep, &QPushButton::clicked, this, &ProvisioningPanel::createSubjectFolders);
    connect(cmdCreerutil, &QPushButton::clicked, this, &ProvisioningPanel::createAccounts);
}

void ProvisioningPanel::updateCreerrep()
{
    cmdCreerrep->setEnabled(check1->isChecked() || check2->isChecked() || check3->isChecked());
}

void ProvisioningPanel::check1Clicked(bool ticked)
{
    txtPublic->setEnabled(ticked);
    updateCreerrep();
}

void ProvisioningPanel::check2Clicked(bool ticked)
{
    for (QWidget *c : std::initializer_list<QWidget *> {txtMatiere, matiere, matplus, sauv})
        c->setEnabled(ticked);
    if (ticked) {
        // The file is absent until the first save: the list then stays as it is.
        if (const auto saved = SubjectList::load(subjectListFile()))
            matiere->addItems(*saved);
    } else {
        matiere->clear();
    }
    updateCreerrep();
}

void ProvisioningPanel::check3Clicked(bool ticked)
{
    txtPerso->setEnabled(ticked);
    updateCreerrep();
}

QString ProvisioningPanel::subjectListFile() const
{
    return m_services.programFile(QStringLiteral("matieres.txt"));
}

QStringList ProvisioningPanel::subjects() const
{
    QStringList entries;
    entries.reserve(matiere->count());
    for (int i = 0; i < matiere->count(); ++i)
        entries.append(matiere->item(i)->text());
    return entries;
}

void ProvisioningPanel::addSubject()
{
    const auto typed = m_services.prompts.input(QStringLiteral("Nom de la matière à ajouter:"));
    matiere->addItem(typed.value_or(QString()));
}

void ProvisioningPanel::removeSubject()
{
    QListWidgetItem *selected = matiere->selectedItems().value(0);
    const int index = SubjectList::indexToRemove(subjects(), selected ? selected->text() : QString());
    if (index < 0)
        return;
    delete matiere->takeItem(index);
    // The entry that was chosen stays chosen when another one went; when it went itself, none is.
    matiere->clearSelection();
    matiere->setCurrentItem(nullptr);
    if (selected && matiere->row(selected) >= 0)
        matiere->setCurrentItem(selected);
}

void ProvisioningPanel::saveSubjects()
{
    if (Status saved = SubjectList::save(subjectListFile(), subjects()); !saved)
        m_services.prompts.message(
            QStringLiteral("La liste des matières n'a pas pu être enregistrée.\r") + saved.message());
}

void ProvisioningPanel::createGroups()
{
    BusyCaption busy(cmdCreergrp, QStringLiteral("En cours ..."));
    const MainValues &main = m_services.main;
    ClassGroups(m_services)
        .run({main.serverName(), check1->isChecked(), check3->isChecked(), main.publicFolder(), main.subjectsFolder(),
            main.homeRoot(), main.pupilFile()});
}

void ProvisioningPanel::createSubjectFolders()
{
    BusyCaption busy(cmdCreerrep, QStringLiteral("En cours ..."));
    SubjectFolders(m_services).run({check2->isChecked(), m_services.main.subjectsFolder(), subjects()});
}

void ProvisioningPanel::createAccounts()
{
    bar1->show();
    BusyCaption busy(cmdCreerutil, QStringLiteral("En cours ..."));
    const MainValues &main = m_services.main;

    // The bar is painted a few times a second, not once per pupil: a school has thousands.
    QElapsedTimer sincePaint;
    int total = 0;
    BulkAccounts::Progress progress;
    progress.counted = [&](int count, int done) {
        total = count;
        bar1->setRange(0, qMax(count, 1));
        // A stopped run that goes on starts where it stopped.
        bar1->setValue(done);
        bar1->repaint();
        sincePaint.start();
    };
    progress.handled = [&](int handled) {
        if (handled < total && sincePaint.elapsed() < 100)
            return;
        bar1->setValue(handled);
        bar1->repaint();
        sincePaint.restart();
    };
    BulkAccounts(m_services).run({main.serverName(), main.systemVolume(), main.homeRoot(), main.pupilFile()}, progress);
    busy.restore();
    bar1->setValue(0);
}
