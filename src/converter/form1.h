#pragma once

#include "converter.h"

#include <QElapsedTimer>
#include <QWidget>

class PathResolver;
class Prompts;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

// trivo's only window: the paths of the conversion, the lower-case option and "Analyser".
class Form1 : public QWidget, private ConversionObserver
{
    Q_OBJECT

public:
    // A long run goes this long between two paints of the window.
    static constexpr int kPaintIntervalMs = 100;

    // paintIntervalMs: a test paints at every step, to see each one.
    Form1(
        const PathResolver &paths, Prompts &prompts, int paintIntervalMs = kPaintIntervalMs, QWidget *parent = nullptr);

    static QString caption();

    // Runs one conversion with the boxes as they stand; the click of "Analyser".
    void analyse();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void counted(qint64 total) override;
    void progressed(qint64 processed) override;
    void analysed(const QString &message) override;
    void stillWorking() override;
    // True when the last paint is old enough: a long run stays drawn without painting per record.
    bool paintDue() const;
    void paint();

    const PathResolver &m_paths;
    Prompts &m_prompts;
    QLineEdit *m_src = nullptr;
    QLineEdit *m_dest = nullptr;
    QLineEdit *m_err = nullptr;
    QCheckBox *m_lower = nullptr;
    QLineEdit *m_div = nullptr;
    QPushButton *m_exec = nullptr;
    QLabel *m_status = nullptr;
    QLineEdit *m_disk = nullptr;
    QProgressBar *m_bar = nullptr;
    bool m_running = false;
    const int m_paintIntervalMs;
    QElapsedTimer m_sincePaint;
};
