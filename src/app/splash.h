#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>

class QLabel;

// The start window: shown a moment, then closed once and for all, handing over to the main window.
class Splash : public QWidget
{
    Q_OBJECT

public:
    // How long the window stays: long enough to read the version.
    static constexpr int kShownMs = 2500;

    explicit Splash(QWidget *parent = nullptr);

    static QString versionText();
    QLabel *versionLabel() const { return m_label2; }

Q_SIGNALS:
    void finished();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const QPixmap m_picture;
    QTimer m_timer1;
    QLabel *m_label2 = nullptr;
};
