#include "converter/form1.h"
#include "support/scriptedprompts.h"
#include "support/tempprogramfolder.h"
#include "ui/formbuilder.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

class TestForm1 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void window();
    void controls_data();
    void controls();
    void accessibleNames();

private:
    std::unique_ptr<TempProgramFolder> m_folder;
    ScriptedPrompts m_prompts;
    std::unique_ptr<Form1> m_form;
};

void TestForm1::initTestCase()
{
    // trivo's own face, as its main sets it.
    useFormFont();
}

void TestForm1::init()
{
    m_folder = std::make_unique<TempProgramFolder>();
    m_form = std::make_unique<Form1>(m_folder->paths(), m_prompts);
}

void TestForm1::window()
{
    QCOMPARE(m_form->objectName(), QStringLiteral("Form1"));
    QCOMPARE(m_form->windowTitle(),
        QStringLiteral("Analyseur fichier ORVO en provenance d'excel (séparateur : ,)          v1.2 "));
    QCOMPARE(m_form->size(), QSize(twipsToPixels(8940), twipsToPixels(2985)));
    QCOMPARE(m_form->minimumSize(), m_form->maximumSize());
    const Qt::WindowFlags flags = m_form->windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    // Announced to assistive tools as trivo's window, not as a bare pane.
    QCOMPARE(QAccessible::queryAccessibleInterface(m_form.get())->role(), QAccessible::Window);
}

void TestForm1::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("inside");

    auto row = [](const char *name, const QString &text, QRect twips, const char *inside) {
        QTest::newRow(name) << QString::fromLatin1(name) << text << twips << QString::fromLatin1(inside);
    };
    row("Frame1", QStringLiteral("Fichiers"), {120, 120, 8775, 2775}, "Form1");
    row("Label1", QStringLiteral("Txt provenant d'excel :"), {1320, 360, 1695, 255}, "Frame1");
    row("txt_src", QStringLiteral("c:\\orvoexcel.txt"), {3000, 360, 1575, 285}, "Frame1");
    row("Label2", QStringLiteral("Txt de destination :"), {4800, 360, 1455, 255}, "Frame1");
    row("txt_dest", QStringLiteral("c:\\orvo.txt"), {6240, 360, 2055, 285}, "Frame1");
    row("Label3", QStringLiteral("Fichier d erreurs (eleves sans classe) :"), {240, 840, 2775, 255}, "Frame1");
    row("txt_err", QStringLiteral("c:\\erreurs.txt"), {3000, 840, 1575, 285}, "Frame1");
    row("Check1", QStringLiteral("Forcer la minucsule"), {4920, 840, 2235, 195}, "Frame1");
    row("Label4", QStringLiteral("Fichier contenant les DIVCOD :"), {720, 1320, 2220, 195}, "Frame1");
    row("txt_div", QStringLiteral("c:\\div.txt"), {3000, 1320, 1575, 285}, "Frame1");
    row("cmd_exec", QStringLiteral("Analyser"), {5760, 1200, 2175, 375}, "Form1");
    row("Label6", QString(), {5640, 1680, 2295, 255}, "Frame1");
    row("Label5", QStringLiteral("Disque system :"), {1800, 1800, 1215, 255}, "Frame1");
    row("disk", QStringLiteral("d:"), {3000, 1800, 1455, 285}, "Frame1");
    row("Frame2", QStringLiteral("Progression"), {240, 2040, 8415, 615}, "Frame1");
    row("Bar", QString(), {120, 240, 8175, 255}, "Frame2");
}

void TestForm1::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QRect, twips);
    QFETCH(QString, inside);

    QWidget *control = m_form->findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->parentWidget()->objectName(), inside);
    const QRect expected = twipsRect(twips.x(), twips.y(), twips.width(), twips.height());
    if (auto *label = qobject_cast<QLabel *>(control)) {
        QCOMPARE(label->text(), text);
        // A caption wider than its place in this font grows to the left only, and shows in full.
        QCOMPARE(label->geometry().right(), expected.right());
        QCOMPARE(label->y(), expected.y());
        QCOMPARE(label->height(), expected.height());
        QVERIFY(label->x() <= expected.x());
        QVERIFY(label->sizeHint().width() <= label->width());
        return;
    }
    QCOMPARE(control->geometry(), expected);
    if (auto *box = qobject_cast<QLineEdit *>(control))
        QCOMPARE(box->text(), text);
    else if (auto *button = qobject_cast<QAbstractButton *>(control))
        QCOMPARE(button->text(), text);
    else if (auto *frame = qobject_cast<QGroupBox *>(control))
        QCOMPARE(frame->title(), text);
    if (auto *check = qobject_cast<QCheckBox *>(control))
        QVERIFY(!check->isChecked());
    if (auto *bar = qobject_cast<QProgressBar *>(control))
        QCOMPARE(bar->value(), bar->minimum());
}

void TestForm1::accessibleNames()
{
    QCOMPARE(m_form->findChild<QLineEdit *>(QStringLiteral("txt_src"))->accessibleName(),
        QStringLiteral("Txt provenant d'excel :"));
    QCOMPARE(
        m_form->findChild<QLineEdit *>(QStringLiteral("disk"))->accessibleName(), QStringLiteral("Disque system :"));
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
