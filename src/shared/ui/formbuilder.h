#pragma once

#include <QHash>
#include <QRect>
#include <QString>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QWidget;

// Windows are laid out in twips, as the forms were drawn: 15 twips to a pixel.
constexpr int twipsToPixels(int twips)
{
    return (twips + 7) / 15;
}
QRect twipsRect(int left, int top, int width, int height);

// Gives the whole program the face and size its forms were drawn for, so that captions measure as
// they were laid out.
void useFormFont();

// Places the controls of a fixed-layout window: each control gets its name, its text and its place
// in twips inside its parent (the window or a frame). finish() then grows a label whose text would be
// cut, and gives every text box, list, combo and caption-less check box the text of the label beside
// it as its accessible name, so that assistive technology can name each field.
class FormBuilder
{
public:
    explicit FormBuilder(QWidget *form);

    QWidget *form() const { return m_form; }

    QLabel *label(QWidget *parent, const char *name, const QString &text, int l, int t, int w, int h);
    QLineEdit *textBox(QWidget *parent, const char *name, const QString &text, int l, int t, int w, int h);
    QPushButton *button(QWidget *parent, const char *name, const QString &text, int l, int t, int w, int h);
    QCheckBox *checkBox(QWidget *parent, const char *name, const QString &text, int l, int t, int w, int h);
    QRadioButton *option(QWidget *parent, const char *name, const QString &text, int l, int t, int w, int h);
    QGroupBox *frame(QWidget *parent, const char *name, const QString &title, int l, int t, int w, int h);
    // Single choice, made by a click or a keyboard move and never by the focus alone.
    QListWidget *listBox(QWidget *parent, const char *name, int l, int t, int w, int h);
    QComboBox *comboBox(QWidget *parent, const char *name, int l, int t, int w, int h);
    // A read-only table with these column headings, whole rows selected, without row numbers.
    QTableWidget *table(QWidget *parent, const char *name, const QStringList &columns, int l, int t, int w, int h);
    QProgressBar *progressBar(QWidget *parent, const char *name, int l, int t, int w, int h);
    QFrame *horizontalLine(QWidget *parent, const char *name, int x1, int y, int x2);

    // How a label whose text would be cut makes room in finish(). Rightward, the default, keeps its
    // place and height (a word-wrapped label stays as drawn); Leftward keeps its right edge against the
    // box it names, and goes on to the right only when the form's edge stops it; Downward takes the
    // height its wrapped lines need, where the space below it allows.
    enum class Growth { Rightward, Leftward, Downward };
    void setGrowth(QLabel *label, Growth growth);

    // Names the control after the label explicitly, where the layout alone would not tell.
    static void labelFor(QWidget *control, const QLabel *label);
    void finish();

private:
    template <typename W> W *place(W *widget, const char *name, int l, int t, int w, int h);

    QWidget *m_form;
    QHash<const QLabel *, Growth> m_growth;
};

// Makes a window of fixed client size in twips, known by its window name, with its caption, centred
// on the screen, and announced to assistive tools as a dialog: the frame every dialog of the program
// starts from.
void setUpFixedWindow(QWidget *window, const char *windowName, const QString &caption, int widthTwips, int heightTwips);

// Gives every unnamed input control under root the text of the nearest label on its left on the
// same row, or else of the label just above it.
void nameControlsFromLabels(QWidget *root);
