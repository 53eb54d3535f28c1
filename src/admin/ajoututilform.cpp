#include "ajoututilform.h"

#include "adminsupport.h"
#include "dialogs/dialogopening.h"
#include "directory/newaccount.h"
#include "journal/actionjournal.h"
#include "program/services.h"
#include "program/settingsfiles.h"
#include "ui/formbuilder.h"
#include "ui/paintnow.h"
#include "ui/prompts.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace AdminSupport;

namespace {

const QString kCaption = QStringLiteral("Ajout d'un utilisateur");

// Password fields show a star for each character, whatever the style's own habit.
void hideCharacters(QLineEdit *box)
{
    box->setEchoMode(QLineEdit::Password);
    box->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
}

} // namespace

AjoutUtilForm *AjoutUtilForm::make(Services &services)
{
    auto *dialog = new AjoutUtilForm(services);
    return keepIfLoaded(services.prompts, dialog, dialog->load(), kCaption);
}

AjoutUtilForm::AjoutUtilForm(Services &services)
    : QWidget(nullptr, Qt::Window)
    , m_services(services)
{
    setUpFixedWindow(this, "ajoututilform", kCaption, 6600, 4800);
    FormBuilder form(this);
    label1 = form.label(this, "Label1",
        QStringLiteral("Attention, les informations sur l'utilisateur ci-dessous ne sont pas "
                       "exhaustives, pour renseigner l'intégralité des informations fournies sous AD, "
                       "veuillez utiliser le gestionnaire d'utilisateurs."),
        120, 120, 6360, 615);
    label1->setWordWrap(true);

    QGroupBox *frame = form.frame(this, "Frame1", QStringLiteral("Infos utilisateur"), 120, 840, 6360, 3240);
    auto row = [&](const char *labelName, const QString &text, int top) {
        QLabel *label = form.label(frame, labelName, text, 120, top + 45, 2280, 255);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    };
    row("Label2", QStringLiteral("Nom :"), 360);
    txtNom = form.textBox(frame, "txt_nom", QString(), 2520, 360, 2895, 315);
    row("Label3", QStringLiteral("Prénom :"), 840);
    txtPrenom = form.textBox(frame, "Txt_prenom", QString(), 2520, 840, 2895, 315);
    row("Label4", QStringLiteral("Descritpion :"), 1320);
    txtDesc = form.textBox(frame, "txt_desc", QString(), 2520, 1320, 2895, 615);
    txtDesc->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    row("Label5", QStringLiteral("Mot de passe :"), 2160);
    txtPass = form.textBox(frame, "txt_pass", QString(), 2520, 2160, 2895, 315);
    row("Label6", QStringLiteral("Confirmer le mot de passe :"), 2640);
    txtConf = form.textBox(frame, "txt_conf", QString(), 2520, 2640, 2895, 315);
    hideCharacters(txtPass);
    hideCharacters(txtConf);

    labelok = form.label(frame, "Labelok", QStringLiteral("Ok"), 5535, 2670, 615, 255);
    QFont bold = labelok->font();
    bold.setBold(true);
    labelok->setFont(bold);
    // Green while the passwords match, greyed while they differ.
    QPalette palette = labelok->palette();
    palette.setColor(QPalette::Active, QPalette::WindowText, QColor(0, 128, 0));
    palette.setColor(QPalette::Inactive, QPalette::WindowText, QColor(0, 128, 0));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(160, 160, 160));
    labelok->setPalette(palette);

    cmdOk = form.button(this, "cmd_ok", QStringLiteral("Ok"), 1560, 4245, 1455, 375);
    cmdNon = form.button(this, "cmd_non", QStringLiteral("Annuler"), 3585, 4245, 1455, 375);
    form.finish();

    connect(txtConf, &QLineEdit::textChanged, this, &AjoutUtilForm::confirmationChanged);
    connect(cmdOk, &QPushButton::clicked, this, &AjoutUtilForm::createAccount);
    connect(cmdNon, &QPushButton::clicked, this, &QWidget::close);
}

Status AjoutUtilForm::load()
{
    cmdOk->setEnabled(false);
    labelok->setEnabled(false);
    const auto names = SettingsFiles::readDomainNames(m_services.paths);
    if (!names)
        return names.status();
    m_server = names->server;
    return {};
}

void AjoutUtilForm::confirmationChanged()
{
    // Only a change of the confirmation compares; a password changed afterwards is not taken.
    const bool same = txtConf->text() == txtPass->text();
    labelok->setEnabled(same);
    cmdOk->setEnabled(same);
    if (same)
        m_password = txtConf->text();
}

void AjoutUtilForm::createAccount()
{
    BusyCaption busy(cmdOk, QStringLiteral("En cours ..."));
    // Blanks count as filled; the password fields are not part of the check.
    if (txtNom->text().isEmpty() || txtPrenom->text().isEmpty() || txtDesc->text().isEmpty()) {
        busy.restore();
        m_services.prompts.message(QStringLiteral("Tous les champs ne sont pas remplis !!"));
        return;
    }
    const QString account = txtNom->text();
    NewAccount request;
    request.login = account;
    request.fullName = txtNom->text() + u' ' + txtPrenom->text();
    request.description = txtDesc->text();
    request.password = m_password;
    request.passwordTime = NewAccount::PasswordTime::WithAccount;
    const AccountReport made = makeAccount(m_services.directory, m_server, request);
    // A password refused leaves an account without it; the first failure is the one told.
    const bool stored = made.made();
    const Status first = !made.created ? made.created : made.passwordSet;
    busy.restore();
    m_services.journal.record(QStringLiteral("création d'un compte"), account,
        stored && !first.ok() ? QStringLiteral("fait en partie : ") + first.message()
                              : ActionJournal::outcomeText(first));
    if (!stored) {
        // What was typed stays in the dialog, to be corrected and tried again.
        m_services.prompts.message(
            stopMessage(QStringLiteral("Le compte %1 n'a pas été créé.").arg(quoted(account)), first));
        return;
    }
    if (!first.ok())
        m_services.prompts.message(
            stopMessage(QStringLiteral("Le compte %1 a été créé, mais pas entièrement.").arg(quoted(account)), first));
    close();
}
