#include "groupspanel.h"

#include "ajoutusergrp.h"
#include "ajoututilform.h"
#include "program/services.h"
#include "suputilform.h"
#include "ui/dialoghost.h"
#include "ui/formbuilder.h"

#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {

QFont timesBold(qreal points)
{
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

} // namespace

GroupsPanel::GroupsPanel(FormBuilder &form, Services &services, QObject *parent, int userCountCap)
    : QObject(parent)
    , m_services(services)
    , m_userCountCap(userCountCap)
{
    QWidget *w = form.form();
    form.label(w, "Label10", QStringLiteral("Gestion des groupes et des utilisateurs"), 2040, 120, 4680, 330)
        ->setFont(timesBold(14.25));
    grputil
        = form.button(w, "grputil", QStringLiteral("Rapatrier Groupes et Utilisateurs actuels"), 2040, 600, 4335, 375);
    grputil->setToolTip(QStringLiteral("Cliquez ici afin de recupérer les groupes et utilisateurs du domaine, "
                                       "ceci peut prendre un certain temps"));
    form.label(w, "Label11", QStringLiteral("Groupes"), 1560, 1080, 855, 285)->setFont(timesBold(12));
    form.label(w, "Label12", QStringLiteral("Utilisateurs du groupe"), 5400, 1080, 2205, 285)->setFont(timesBold(12));
    grp = form.listBox(w, "grp", 360, 1440, 3615, 4350);
    grp->setToolTip(QStringLiteral("Listes des groupes du domaine"));
    form.label(w, "Label13", QStringLiteral(">>>"), 4080, 3480, 495, 330)->setFont(timesBold(14.25));
    util = form.listBox(w, "util", 4680, 1440, 3495, 4350);
    util->setToolTip(QStringLiteral("Liste des utilisateurs pour le groupe choisit"));
    grpmoins = form.button(w, "grpmoins", QStringLiteral("Supprimer"), 480, 5880, 1095, 375);
    grpplus = form.button(w, "grpplus", QStringLiteral("Ajouter"), 2520, 5880, 1095, 375);
    utilmoins = form.button(w, "utilmoins", QStringLiteral("Supprimer"), 4800, 5880, 1095, 375);
    cmdInfouser = form.button(w, "cmd_infouser", QStringLiteral("Info"), 6120, 5880, 615, 375);
    utilplus = form.button(w, "utilplus", QStringLiteral("Ajouter"), 6960, 5880, 1095, 375);
    form.horizontalLine(w, "Line1", 360, 6360, 8160);
    form.label(w, "Label14", QStringLiteral("Ajouter/supprimer des utilisateurs"), 2520, 6480, 3390, 285)
        ->setFont(timesBold(12));
    ajoututil = form.button(w, "ajoututil", QStringLiteral("Ajouter"), 2400, 6960, 1455, 375);
    suputil = form.button(w, "suputil", QStringLiteral("Supprimer"), 4680, 6960, 1455, 375);
    lblUsers = form.label(w, "lbl_users", QStringLiteral("Utilisateurs :"), 2760, 7680, 1530, 300);
    QFont bold = lblUsers->font();
    bold.setPointSizeF(12);
    bold.setBold(true);
    lblUsers->setFont(bold);
    lblUsers->hide();

    for (QPushButton *b : {grpmoins, grpplus, utilmoins, cmdInfouser, utilplus})
        b->setEnabled(false);
    // The lists' own tooltips say what they hold; the labels above them name them.
    grp->setAccessibleName(QStringLiteral("Groupes"));
    util->setAccessibleName(QStringLiteral("Utilisateurs du groupe"));

    connectActions();
}

void GroupsPanel::connectActions()
{
    connect(grputil, &QPushButton::clicked, this, &GroupsPanel::refresh);
    // A click or a keyboard move that changes the chosen group lists its members; clearing the list
    // chooses nothing and lists nothing.
    connect(grp, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            chooseGroup();
    });
    // A click on the group already chosen lists its members again, as a click always has.
    grp->viewport()->installEventFilter(this);
    connect(grp, &QListWidget::itemClicked, this, &GroupsPanel::groupClicked);
    connect(util, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            chooseMember();
    });
    connect(util, &QListWidget::itemClicked, this, &GroupsPanel::chooseMember);
    connect(cmdInfouser, &QPushButton::clicked, this, &GroupsPanel::showDetails);
    connect(grpplus, &QPushButton::clicked, this, &GroupsPanel::createGroup);
    connect(grpmoins, &QPushButton::clicked, this, &GroupsPanel::deleteGroup);
    connect(utilmoins, &QPushButton::clicked, this, &GroupsPanel::removeMember);

    connect(utilplus, &QPushButton::clicked, this, [this] { m_services.dialogs.open<AjoutUserGrp>(m_services); });
    connect(ajoututil, &QPushButton::clicked, this, [this] { m_services.dialogs.open<AjoutUtilForm>(m_services); });
    connect(suputil, &QPushButton::clicked, this, [this] { m_services.dialogs.open<SupUtilForm>(m_services); });
}

bool GroupsPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == grp->viewport() && event->type() == QEvent::MouseButtonPress)
        m_groupRowBeforePress = grp->currentRow();
    return QObject::eventFilter(watched, event);
}

void GroupsPanel::groupClicked(QListWidgetItem *item)
{
    // A press that changed the row has already listed the group through currentRowChanged.
    if (grp->row(item) == m_groupRowBeforePress)
        chooseGroup();
    m_groupRowBeforePress = -1;
}
