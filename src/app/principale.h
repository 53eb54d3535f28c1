#pragma once

#include "program/mainvalues.h"
#include "program/services.h"

#include <QMainWindow>
#include <QPixmap>
#include <QPointer>

class GroupsPanel;
class ProvisioningPanel;
class QAction;
class QMenu;

// The main window: the groups panel on the left, the panel "Création d'un SI" on the right, the
// menus "Fichier" and "Outils". It keeps the names and volume read from the settings at load and
// offers them, with its path boxes, to the actions and dialogs.
class Principale : public QMainWindow, public MainValues
{
    Q_OBJECT

public:
    static constexpr int kClientWidth = 13020;
    static constexpr int kClientHeight = 8445;
    static constexpr int kNarrowWidth = 8610;
    static constexpr int kNarrowHeight = 8835;

    // The window is itself the services' main values: it builds them from its collaborators.
    Principale(const PathResolver &paths, Directory &directory, Shell &shell, Prompts &prompts,
        PasswordGenerator &passwords, DialogHost &dialogs, ActionJournal &journal, QWidget *parent = nullptr);

    // Builds the window from its design state and reads the settings files. Returns the message to
    // show when settings files are missing, or an empty text.
    QString load();
    // Shows the window and reports any missing settings file (start-up and reload).
    void showLoaded();
    // Closes the window and shows it again, rebuilt (the settings dialog's "Ok").
    void reload();

    static QString caption(const QString &domain, const QString &server);
    static const QString &creditSuffix();

    GroupsPanel *groupsPanel() const { return m_groups; }
    ProvisioningPanel *provisioningPanel() const { return m_provisioning; }
    QString modeLine() const { return m_modeLine; }
    // What the window gives the dialogs it opens.
    Services &services() { return m_services; }

    QString domainName() const override { return m_domain; }
    QString serverName() const override { return m_server; }
    QString systemVolume() const override { return m_systemVolume; }
    QString publicFolder() const override;
    QString subjectsFolder() const override;
    QString homeRoot() const override;
    QString pupilFile() const override;
    QString chosenGroup() const override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void buildMenus();
    // The menu entry opens the dialog, or brings it forward.
    template <class Dialog> void opens(QAction *action);
    bool isNarrow() const;
    void applyNarrowSize();
    QAction *addEntry(QMenu *menu, const char *name, const QString &text);
    void startProgram(const QString &commandLine);
    void quit();

    Services m_services;
    // Drawn once: the window repaints whenever an action shows its progress.
    const QPixmap m_background;
    QPointer<QWidget> m_client;
    GroupsPanel *m_groups = nullptr;
    ProvisioningPanel *m_provisioning = nullptr;
    QString m_domain;
    QString m_server;
    QString m_systemVolume;
    QString m_modeLine;
    bool m_quitting = false;
};
