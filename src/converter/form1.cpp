#include "form1.h"

#include "ui/accessiblerole.h"
#include "ui/formbuilder.h"
#include "ui/paintnow.h"
#include "ui/prompts.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include <limits>

Form1::Form1(const PathResolver &paths, Prompts &prompts, int paintIntervalMs, QWidget *parent)
    : QWidget(parent,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_paths(paths)
    , m_prompts(prompts)
    , m_paintIntervalMs(paintIntervalMs)
{
    setAccessibleWindowRole(this, QAccessible::Window);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(caption());
    setFixedSize(twipsToPixels(8940), twipsToPixels(2985));

    FormBuilder form(this);
    QGroupBox *frame1 = form.frame(this, "Frame1", QStringLiteral("Fichiers"), 120, 120, 8775, 2775);
    form.label(frame1, "Label1", QStringLiteral("Txt provenant d'excel :"), 1320, 360, 1695, 255);
    m_src = form.textBox(frame1, "txt_src", QStringLiteral("c:\\orvoexcel.txt"), 3000, 360, 1575, 285);
    form.label(frame1, "Label2", QStringLiteral("Txt de destination :"), 4800, 360, 1455, 255);
    m_dest = form.textBox(frame1, "txt_dest", QStringLiteral("c:\\orvo.txt"), 6240, 360, 2055, 285);
    form.label(frame1, "Label3", QStringLiteral("Fichier d erreurs (eleves sans classe) :"), 240, 840, 2775, 255);
    m_err = form.textBox(frame1, "txt_err", QStringLiteral("c:\\erreurs.txt"), 3000, 840, 1575, 285);
    m_lower = form.checkBox(frame1, "Check1", QStringLiteral("Forcer la minucsule"), 4920, 840, 2235, 195);
    form.label(frame1, "Label4", QStringLiteral("Fichier contenant les DIVCOD :"), 720, 1320, 2220, 195);
    m_div = form.textBox(frame1, "txt_div", QStringLiteral("c:\\div.txt"), 3000, 1320, 1575, 285);
    m_status = form.label(frame1, "Label6", QString(), 5640, 1680, 2295, 255);
    form.label(frame1, "Label5", QStringLiteral("Disque system :"), 1800, 1800, 1215, 255);
    m_disk = form.textBox(frame1, "disk", QStringLiteral("d:"), 3000, 1800, 1455, 285);
    QGroupBox *frame2 = form.frame(frame1, "Frame2", QStringLiteral("Progression"), 240, 2040, 8415, 615);
    m_bar = form.progressBar(frame2, "Bar", 120, 240, 8175, 255);
    // The button belongs to the window but stands over the frame: made last, it stays on top.
    m_exec = form.button(this, "cmd_exec", QStringLiteral("Analyser"), 5760, 1200, 2175, 375);
    // A caption that would lose its end grows to the left, rather than to the right under its box.
    for (QLabel *label : frame1->findChildren<QLabel *>(Qt::FindDirectChildrenOnly))
        form.setGrowth(label, FormBuilder::Growth::Leftward);
    form.finish();

    connect(m_exec, &QPushButton::clicked, this, &Form1::analyse);
}

QString Form1::caption()
{
    return QStringLiteral("Analyseur fichier ORVO en provenance d'excel (séparateur : ,)") + QString(10, u' ')
        + QStringLiteral("v1.2 ");
}

void Form1::closeEvent(QCloseEvent *event)
{
    // A conversion runs to its end: closing half-way would leave its files half-written.
    if (m_running)
        event->ignore();
    else
        QWidget::closeEvent(event);
}

void Form1::analyse()
{
    if (m_running)
        return;
    m_running = true;
    m_status->setText(QStringLiteral("Traitement en cours ..."));
    paint();

    ConversionRequest request;
    request.exportFile = m_src->text();
    request.convertedFile = m_dest->text();
    request.errorFile = m_err->text();
    request.classTable = m_div->text();
    request.workFolder = m_disk->text();
    request.lowerCase = m_lower->isChecked();

    Converter converter(m_paths);
    const Result<ConversionReport> report = converter.run(request, *this);
    m_running = false;
    if (!report) {
        m_bar->setValue(m_bar->minimum());
        m_status->setText(QStringLiteral("Traitement interrompu"));
        paint();
        m_prompts.message(report.message());
        return;
    }
    if (!report->unparkedClasses.isEmpty())
        m_prompts.message(Converter::unparkedMessage(report->unparkedClasses, request.workFolder));
    m_status->setText(QStringLiteral("Traitement terminé"));
    paint();
    m_prompts.message(Converter::finishedMessage());
}

void Form1::counted(qint64 total)
{
    // An empty range would turn the bar into a busy indicator: an empty export keeps an empty bar.
    const int maximum = static_cast<int>(qBound(qint64(1), total, qint64(std::numeric_limits<int>::max())));
    m_bar->setRange(0, maximum);
    m_bar->setValue(0);
    if (paintDue())
        paint();
}

void Form1::progressed(qint64 processed)
{
    if (!paintDue())
        return;
    m_bar->setValue(static_cast<int>(qMin<qint64>(processed, m_bar->maximum())));
    paint();
}

void Form1::analysed(const QString &message)
{
    m_bar->setValue(m_bar->maximum());
    paint();
    m_prompts.message(message);
    m_bar->setValue(0);
    paint();
}

void Form1::stillWorking()
{
    if (paintDue())
        paint();
}

bool Form1::paintDue() const
{
    return !m_sincePaint.isValid() || m_sincePaint.elapsed() >= m_paintIntervalMs;
}

void Form1::paint()
{
    paintNow(this);
    m_sincePaint.start();
}
