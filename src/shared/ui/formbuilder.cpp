#include "formbuilder.h"

#include "accessiblerole.h"
#include "choicelist.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableWidget>

#include <limits>

QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

void useFormFont()
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSizeF(8.25);
    QApplication::setFont(font);
}

void setUpFixedWindow(QWidget *window, const char *windowName, const QString &caption, int widthTwips, int heightTwips)
{
    setAccessibleWindowRole(window, QAccessible::Dialog);
    window->setObjectName(QString::fromLatin1(windowName));
    window->setWindowTitle(caption);
    window->setFixedSize(twipsToPixels(widthTwips), twipsToPixels(heightTwips));
    if (QScreen *screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
}

FormBuilder::FormBuilder(QWidget *form)
    : m_form(form)
{
}

template <typename W> W *FormBuilder::place(W *widget, const char *name, int l, int t, int w, int h)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(twipsRect(l, t, w, h));
    return widget;
}

QLabel *FormBuilder::label(QWidget *parent, const char *name, const QString &text, int l, int t, int w, int h)
{
    auto *label = place(new QLabel(text, parent), name, l, t, w, h);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLineEdit *FormBuilder::textBox(QWidget *parent, const char *name, const QString &text, int l, int t, int w, int h)
{
    return place(new QLineEdit(text, parent), name, l, t, w, h);
}

QPushButton *FormBuilder::button(QWidget *parent, const char *name, const QString &text, int l, int t, int w, int h)
{
    return place(new QPushButton(text, parent), name, l, t, w, h);
}

QCheckBox *FormBuilder::checkBox(QWidget *parent, const char *name, const QString &text, int l, int t, int w, int h)
{
    return place(new QCheckBox(text, parent), name, l, t, w, h);
}

QRadioButton *FormBuilder::option(QWidget *parent, const char *name, const QString &text, int l, int t, int w, int h)
{
    return place(new QRadioButton(text, parent), name, l, t, w, h);
}

QGroupBox *FormBuilder::frame(QWidget *parent, const char *name, const QString &title, int l, int t, int w, int h)
{
    return place(new QGroupBox(title, parent), name, l, t, w, h);
}

QListWidget *FormBuilder::listBox(QWidget *parent, const char *name, int l, int t, int w, int h)
{
    auto *list = place(new ChoiceList(parent), name, l, t, w, h);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    return list;
}

QComboBox *FormBuilder::comboBox(QWidget *parent, const char *name, int l, int t, int w, int h)
{
    return place(new QComboBox(parent), name, l, t, w, h);
}

QTableWidget *FormBuilder::table(
    QWidget *parent, const char *name, const QStringList &columns, int l, int t, int w, int h)
{
    auto *table = place(new QTableWidget(0, int(columns.size()), parent), name, l, t, w, h);
    table->setHorizontalHeaderLabels(columns);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setWordWrap(false);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);
    table->horizontalHeader()->setHighlightSections(false);
    return table;
}

QProgressBar *FormBuilder::progressBar(QWidget *parent, const char *name, int l, int t, int w, int h)
{
    auto *bar = place(new QProgressBar(parent), name, l, t, w, h);
    bar->setTextVisible(false);
    bar->setRange(0, 100);
    bar->setValue(0);
    return bar;
}

QFrame *FormBuilder::horizontalLine(QWidget *parent, const char *name, int x1, int y, int x2)
{
    auto *line = new QFrame(parent);
    line->setObjectName(QString::fromLatin1(name));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(twipsToPixels(x1), twipsToPixels(y) - 1, twipsToPixels(x2 - x1), 3);
    return line;
}

void FormBuilder::labelFor(QWidget *control, const QLabel *label)
{
    control->setAccessibleName(label->text());
}

void FormBuilder::setGrowth(QLabel *label, Growth growth)
{
    m_growth.insert(label, growth);
}

namespace {

void growLeftward(QLabel *label)
{
    const int needed = label->sizeHint().width();
    if (needed <= label->width())
        return;
    const QRect place = label->geometry();
    const int left = qMax(2, place.right() + 1 - needed);
    label->setGeometry(left, place.top(), place.right() + 1 - left, place.height());
}

void growRightward(QLabel *label)
{
    const int needed = label->sizeHint().width();
    if (!label->wordWrap() && needed > label->width())
        label->resize(needed, label->height());
}

} // namespace

void FormBuilder::finish()
{
    // The forms were drawn for a narrower face than this machine's: a label grows to show its whole
    // text rather than cut it.
    for (QLabel *label : m_form->findChildren<QLabel *>()) {
        switch (m_growth.value(label, Growth::Rightward)) {
        case Growth::Leftward:
            growLeftward(label);
            growRightward(label);
            break;
        case Growth::Downward:
            label->resize(label->width(), qMax(label->height(), label->heightForWidth(label->width())));
            break;
        case Growth::Rightward:
            growRightward(label);
            break;
        }
    }
    nameControlsFromLabels(m_form);
}

namespace {

bool needsName(QWidget *w)
{
    if (!w->accessibleName().isEmpty())
        return false;
    if (qobject_cast<QLineEdit *>(w) || qobject_cast<QListWidget *>(w) || qobject_cast<QProgressBar *>(w)
        || qobject_cast<QTableWidget *>(w))
        return true;
    if (qobject_cast<QComboBox *>(w))
        return true;
    if (auto *box = qobject_cast<QAbstractButton *>(w))
        return box->text().isEmpty();
    return false;
}

} // namespace

void nameControlsFromLabels(QWidget *root)
{
    // Where each captioned label stands, worked out once for every control.
    struct PlacedLabel
    {
        const QLabel *label;
        QRect place;
    };
    QList<PlacedLabel> labels;
    for (const QLabel *label : root->findChildren<QLabel *>()) {
        if (!label->text().isEmpty())
            labels.append({label, QRect(label->mapTo(root, QPoint(0, 0)), label->size())});
    }

    const QList<QWidget *> widgets = root->findChildren<QWidget *>();
    for (QWidget *w : widgets) {
        if (!needsName(w) || qobject_cast<QComboBox *>(w->parentWidget()))
            continue;
        const QRect box(w->mapTo(root, QPoint(0, 0)), w->size());
        const QLabel *best = nullptr;
        int bestDistance = std::numeric_limits<int>::max();
        // A label on the same row, to the left, wins over one above.
        for (const auto &[label, l] : labels) {
            const bool sameRow = l.top() < box.bottom() && l.bottom() > box.top();
            if (sameRow && l.left() < box.left()) {
                const int distance = qMax(0, box.left() - l.right());
                if (distance < bestDistance) {
                    bestDistance = distance;
                    best = label;
                }
            }
        }
        if (!best) {
            for (const auto &[label, l] : labels) {
                const bool above = l.bottom() <= box.top() + 2 && l.right() > box.left() && l.left() < box.right();
                const int distance = box.top() - l.bottom();
                if (above && distance < bestDistance) {
                    bestDistance = distance;
                    best = label;
                }
            }
        }
        if (best)
            w->setAccessibleName(best->text());
    }
}
