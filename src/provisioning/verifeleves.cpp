#include "verifeleves.h"

#include "program/mainvalues.h"
#include "program/services.h"
#include "text/pathresolver.h"
#include "text/textwriter.h"
#include "ui/formbuilder.h"
#include "ui/paintnow.h"
#include "ui/prompts.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidget>

namespace {

enum Column { LineColumn, LoginColumn, SurnameColumn, FirstNamesColumn, ClassColumn, ProblemColumn };

QTableWidgetItem *cell(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

} // namespace

QString VerifEleves::caption()
{
    return QStringLiteral("Vérification avant la création des utilisateurs");
}

VerifEleves *VerifEleves::make(Services &services)
{
    return new VerifEleves(services);
}

VerifEleves::VerifEleves(Services &services)
    : QWidget(nullptr, Qt::Window)
    , m_services(services)
{
    setUpFixedWindow(this, "verifeleves", caption(), 12300, 7680);
    FormBuilder form(this);
    form.label(this, "Label1", QStringLiteral("Base Orvo des élèves convertie :"), 240, 285, 2535, 195);
    txtOrvo = form.textBox(this, "txt_orvo", m_services.main.pupilFile(), 2880, 240, 6660, 285);
    cmdVerifier = form.button(this, "cmd_verifier", QStringLiteral("Vérifier"), 9780, 195, 2280, 375);
    check1 = form.checkBox(this, "Check1", QStringLiteral("Afficher seulement les problèmes"), 240, 720, 4215, 255);
    lstVerif = form.table(this, "lst_verif", PupilCheck::columns(), 240, 1080, 11820, 5415);
    lblResume = form.label(this, "lbl_resume", {}, 240, 6615, 11820, 255);
    cmdRapport = form.button(this, "cmd_rapport", QStringLiteral("Enregistrer le rapport"), 7500, 7080, 2400, 375);
    cmdFermer = form.button(this, "cmd_fermer", QStringLiteral("Fermer"), 10020, 7080, 2040, 375);
    form.finish();
    lstVerif->setAccessibleName(QStringLiteral("Élèves vérifiés"));
    lblResume->setAccessibleName(QStringLiteral("Résumé de la vérification"));

    fitColumns();

    check1->setChecked(true);
    cmdRapport->setEnabled(false);
    cmdVerifier->setDefault(true);

    connect(cmdVerifier, &QPushButton::clicked, this, &VerifEleves::check);
    connect(check1, &QCheckBox::toggled, this, &VerifEleves::applyFilter);
    connect(cmdRapport, &QPushButton::clicked, this, &VerifEleves::saveReport);
    connect(cmdFermer, &QPushButton::clicked, this, &QWidget::close);
}

void VerifEleves::check()
{
    BusyCaption busy(cmdVerifier, QStringLiteral("En cours ..."));
    m_rows.clear();
    showRows();
    lblResume->clear();
    cmdRapport->setEnabled(false);

    const MainValues &main = m_services.main;
    auto rows
        = PupilCheck(m_services.directory, m_services.paths).run({main.serverName(), main.homeRoot(), txtOrvo->text()});
    if (!rows) {
        busy.restore();
        m_services.prompts.message(rows.message());
        return;
    }
    m_rows = std::move(*rows);
    showRows();
    lblResume->setText(PupilCheck::summary(m_rows));
    cmdRapport->setEnabled(true);
}

void VerifEleves::showRows()
{
    lstVerif->setUpdatesEnabled(false);
    lstVerif->clearContents();
    lstVerif->setRowCount(int(m_rows.size()));
    for (int i = 0; i < m_rows.size(); ++i) {
        const PupilCheckRow &row = m_rows[i];
        QTableWidgetItem *line = cell(QString::number(row.line));
        line->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        lstVerif->setItem(i, LineColumn, line);
        lstVerif->setItem(i, LoginColumn, cell(row.login));
        lstVerif->setItem(i, SurnameColumn, cell(row.pupil.surname));
        lstVerif->setItem(i, FirstNamesColumn, cell(row.pupil.firstNames));
        lstVerif->setItem(i, ClassColumn, cell(row.pupil.className));
        QTableWidgetItem *problem = cell(row.problemText());
        problem->setToolTip(row.problemText());
        lstVerif->setItem(i, ProblemColumn, problem);
    }
    applyFilter();
    lstVerif->setUpdatesEnabled(true);
}

void VerifEleves::applyFilter()
{
    const bool problemsOnly = check1->isChecked();
    for (int i = 0; i < m_rows.size(); ++i)
        lstVerif->setRowHidden(i, problemsOnly && m_rows[i].clean());
    fitColumns();
}

void VerifEleves::fitColumns()
{
    // Every column shows its texts whole; the problems take the room left, or more with a scroll bar.
    const QFontMetrics metrics = lstVerif->fontMetrics();
    const QFontMetrics headings = lstVerif->horizontalHeader()->fontMetrics();
    const QStringList samples = {QStringLiteral("00000"), QStringLiteral("TS8DUPONT-LAJ"),
        QStringLiteral("DUPONT-LAJOIE"), QStringLiteral("Jean-Pierre"), QStringLiteral("TS8"), QString()};
    QList<int> widest;
    for (int column = LineColumn; column <= ProblemColumn; ++column)
        widest << qMax(
            headings.horizontalAdvance(PupilCheck::columns()[column]), metrics.horizontalAdvance(samples[column]));
    for (const PupilCheckRow &row : std::as_const(m_rows)) {
        const QString texts[] = {QString::number(row.line), row.login, row.pupil.surname, row.pupil.firstNames,
            row.pupil.className, row.problemText()};
        for (int column = LineColumn; column <= ProblemColumn; ++column)
            widest[column] = qMax(widest[column], metrics.horizontalAdvance(texts[column]));
    }
    const int margin = 2 * lstVerif->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, lstVerif) + 12;
    int others = 0;
    for (int column = LineColumn; column < ProblemColumn; ++column) {
        lstVerif->setColumnWidth(column, widest[column] + margin);
        others += widest[column] + margin;
    }

    int shown = 0;
    for (int row = 0; row < lstVerif->rowCount(); ++row)
        shown += lstVerif->isRowHidden(row) ? 0 : 1;
    const int height = lstVerif->height() - 2 * lstVerif->frameWidth() - lstVerif->horizontalHeader()->height();
    const bool scrolls = shown * lstVerif->verticalHeader()->defaultSectionSize() > height;
    const int room = lstVerif->width() - 2 * lstVerif->frameWidth() - others
        - (scrolls ? lstVerif->verticalScrollBar()->sizeHint().width() : 0);
    lstVerif->setColumnWidth(ProblemColumn, qMax(room, widest[ProblemColumn] + margin));
}

void VerifEleves::saveReport()
{
    const QString volume = m_services.main.systemVolume();
    const QString path = PupilCheck::reportPath(volume);
    // Without a system volume the report would land at the top of drive C:.
    if (volume.trimmed().isEmpty()) {
        m_services.prompts.message(QStringLiteral("Le rapport n'a pas été enregistré : le volume système n'est pas "
                                                  "renseigné dans les paramètres."));
        return;
    }
    const Status saved = replaceFile(m_services.paths.toHost(path), PupilCheck::reportLines(m_rows));
    if (saved)
        m_services.prompts.message(QStringLiteral("Le rapport a été enregistré dans le fichier ") + path);
    else
        m_services.prompts.message(
            QStringLiteral("Le rapport n'a pas pu être enregistré dans le fichier ") + path + u'\r' + saved.message());
}
