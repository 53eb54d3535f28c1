#include "splash.h"

#include "artwork.h"
#include "programversion.h"
#include "ui/accessiblerole.h"
#include "ui/formbuilder.h"

#include <QLabel>
#include <QPainter>
#include <QScreen>

Splash::Splash(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
    , m_picture(Artwork::splash())
{
    setAccessibleWindowRole(this, QAccessible::Window);
    setObjectName(QStringLiteral("splash"));
    setFixedSize(twipsToPixels(5235), twipsToPixels(3750));
    FormBuilder form(this);
    form.label(
        this, "Label6", QStringLiteral("Logiciel de gestion de comptes sous Active Directory "), 840, 2640, 3780, 195);
    form.label(this, "Label1", QStringLiteral("destiné aux établissements scolaires"), 1440, 2880, 2550, 195);
    m_label2 = form.label(this, "Label2", versionText(), 0, 3480, 1335, 255);
    QFont arial(QStringLiteral("Arial"));
    arial.setPointSizeF(9);
    m_label2->setFont(arial);
    m_label2->setStyleSheet(QStringLiteral("color: #00c000; background: transparent;"));
    for (QLabel *label : findChildren<QLabel *>()) {
        if (label != m_label2)
            label->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    }
    form.finish();

    if (QScreen *screen = this->screen())
        move(screen->geometry().center() - rect().center());

    m_timer1.setObjectName(QStringLiteral("Timer1"));
    m_timer1.setInterval(kShownMs);
    m_timer1.setSingleShot(true);
    connect(&m_timer1, &QTimer::timeout, this, [this] {
        m_timer1.stop();
        close();
        Q_EMIT finished();
    });
    m_timer1.start();
}

QString Splash::versionText()
{
    return QStringLiteral("Ver %1.%2 Rev %3")
        .arg(ProgramVersion::majorNumber)
        .arg(ProgramVersion::minorNumber)
        .arg(ProgramVersion::revision);
}

void Splash::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawPixmap(rect(), m_picture);
}
