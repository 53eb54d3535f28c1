#pragma once

#include <QWidget>

class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
struct Services;

// The dialog "diruse": runs the disk-usage tool on the pupils' class folders or on the teachers'
// folder, each report appended to the log "templogdir.txt" on the system volume, and lists the
// report lines that mark a folder over the limit (those beginning with "!").
class DirUse : public QWidget
{
    Q_OBJECT

public:
    // How long one check may wait, in all, for its disk-usage commands to end; classes not reached by
    // then are not measured, and the check says so.
    static constexpr int kWaitBudgetMs = 5 * 60 * 1000;

    static DirUse *make(Services &services) { return new DirUse(services); }
    explicit DirUse(Services &services, int waitBudgetMs = kWaitBudgetMs);

private:
    void check();
    void switchUserType();
    QString logPath() const;
    void deleteLog();
    QStringList commandLines(QStringList &notes) const;

    Services &m_services;
    int m_waitBudgetMs;
    QString m_systemVolume;
    QLineEdit *m_limit = nullptr;
    QRadioButton *m_pupils = nullptr;
    QRadioButton *m_teachers = nullptr;
    QListWidget *m_list = nullptr;
    QPushButton *m_verif = nullptr;
    bool m_optionSelectedAtPress = false;
};
