#include "subjectfolders.h"

#include "program/services.h"
#include "provisioningfolders.h"
#include "shell/shell.h"
#include "text/windowsnames.h"
#include "ui/prompts.h"

void SubjectFolders::run(const Input &input)
{
    if (Status served = m_services.shell.checkSharesServed(); !served) {
        m_services.prompts.message(served.message() + QStringLiteral("\rAucun dossier n'a été créé."));
        return;
    }
    const QString &folder = input.subjectsFolder;
    // Folders there already, and scripts or a share made before, are passed over: the step can be run
    // again, and nothing of it is reported.
    if (input.createFolders) {
        skipAndContinue(makeFolder(m_services.paths, folder));
        for (const QString &subject : input.subjects) {
            // An empty entry names the subjects folder itself, as it always has; a subject that would
            // climb out of the subjects folder gets neither folder nor script.
            if (!subject.isEmpty() && !WindowsNames::isFolderName(subject))
                continue;
            const QString subjectFolder = folder + QLatin1Char('\\') + subject;
            skipAndContinue(makeFolder(m_services.paths, subjectFolder));
            skipAndContinue(m_services.shell.start(m_services.programFolder() + QStringLiteral("\\matiere.bat ")
                    + subjectFolder + QLatin1Char(' ') + subject,
                WindowStyle::Minimized));
        }
    }
    skipAndContinue(m_services.shell.start(
        QStringLiteral("cmd.exe /c net share Matieres=") + folder + QStringLiteral(" /unlimited"),
        WindowStyle::Minimized));
}
