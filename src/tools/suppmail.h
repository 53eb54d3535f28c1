#pragma once

#include "shell/shell.h"

#include <QWidget>

class QLineEdit;
struct Services;

// The dialog "suppmail": empties the mail store by removing its folder with everything in it and
// making it again, empty.
class SuppMail : public QWidget
{
    Q_OBJECT

public:
    // How long the removal and the re-creation may each take before the dialog gives up waiting.
    static constexpr int kCommandTimeoutMs = Shell::kCommandWaitMs;

    static SuppMail *make(Services &services) { return new SuppMail(services); }
    explicit SuppMail(Services &services);

private:
    void clearStore();

    Services &m_services;
    QLineEdit *m_path = nullptr;
};
