#include "classgroups.h"

#include "directory/directory.h"
#include "directory/dirpaths.h"
#include "program/services.h"
#include "provisioningfolders.h"
#include "pupilfile.h"
#include "pupilnaming.h"
#include "pupilpolicy.h"
#include "shell/shell.h"
#include "text/pathresolver.h"
#include "text/textwriter.h"
#include "text/windowsnames.h"
#include "ui/prompts.h"

namespace {

Status createGroupIn(DirObject &parent, const QString &name)
{
    auto group = parent.create(DirKind::Group, name);
    if (!group)
        return group.status();
    // Stored without its type it would not be a global group, and so never listed.
    if (Status typed = (*group)->put(DirProperty::GroupType, globalGroupType); !typed)
        return typed;
    return (*group)->setInfo();
}

} // namespace

QStringList ClassGroups::logonScript(const QString &serverName, const QString &className)
{
    return {QStringLiteral("net use u: \\\\") + serverName + QLatin1Char('\\') + className,
        QStringLiteral("net use m: \\\\") + serverName + QStringLiteral("\\matieres")};
}

Status ClassGroups::createGroup(const QString &serverName, const QString &name)
{
    auto parent = m_services.directory.bind(DirPaths::container(serverName));
    if (!parent)
        return parent.status();
    return createGroupIn(**parent, name);
}

void ClassGroups::run(const Input &input)
{
    // Shares that would not be served are worth nothing: the configuration is mended first.
    if (Status served = m_services.shell.checkSharesServed(); !served) {
        m_services.prompts.message(served.message() + QStringLiteral("\rAucun groupe ni dossier n'a été créé."));
        return;
    }

    // The step can be run again: folders and groups already there fail to be made, and are passed over.
    skipAndContinue(makeFolder(m_services.paths, m_services.programFolder() + QStringLiteral("\\scripts")));
    if (input.createPublic)
        skipAndContinue(makeFolder(m_services.paths, input.publicFolder));
    if (input.createHomes) {
        skipAndContinue(makeFolder(m_services.paths, input.homeRoot));
        skipAndContinue(makeFolder(m_services.paths, input.homeRoot + QStringLiteral("\\profs")));
        skipAndContinue(makeFolder(m_services.paths, input.homeRoot + QStringLiteral("\\eleves")));
    }

    if (auto parent = m_services.directory.bind(DirPaths::container(input.serverName))) {
        skipAndContinue(createGroupIn(**parent, QStringLiteral("eleves")));
        skipAndContinue(createGroupIn(**parent, QStringLiteral("profs")));
    }
    // The pupils' generated passwords need a policy of their own on a domain that asks for more.
    const auto ensured
        = m_services.directory.ensureGroupPasswordPolicy(QStringLiteral("eleves"), PupilPolicy::settings());
    if (!ensured)
        m_services.prompts.message(QStringLiteral("La stratégie de mots de passe des élèves n'a pas pu être créée : ")
            + ensured.message() + QStringLiteral("\rSans elle, le domaine refusera peut-être leurs mots de passe."));

    auto pupils = PupilFile::open(input.pupilFile, m_services.paths);
    if (!pupils) {
        m_services.prompts.message(pupils.message()
            + QStringLiteral("\rLes groupes eleves et profs et les dossiers de base ont été "
                             "créés ; aucun groupe de classe n'a été créé."));
        return;
    }
    while (!pupils->atEnd())
        handleRecord(input, pupils->next().className);
}

void ClassGroups::handleRecord(const Input &input, const QString &className)
{
    // Every pupil after the first of a class finds its group, folders and script there already; each
    // step is passed over when it fails and the next one runs, as a new run of the step expects.
    skipAndContinue(createGroup(input.serverName, className));

    // A class that would name a folder outside its parent gets no script, folder or share: those
    // steps fail for this record and the next record is handled.
    if (!WindowsNames::isFolderName(className))
        return;

    skipAndContinue(
        replaceFile(m_services.programFile(QStringLiteral("scripts\\") + className + QStringLiteral(".bat")),
            logonScript(input.serverName, className)));
    skipAndContinue(makeFolder(m_services.paths, PupilNaming::classHomeFolder(input.homeRoot, className)));
    const QString classPublic = input.publicFolder + QLatin1Char('\\') + className;
    skipAndContinue(makeFolder(m_services.paths, classPublic));

    const QString programFolder = m_services.programFolder();
    Shell &shell = m_services.shell;
    skipAndContinue(
        shell.start(programFolder + QStringLiteral("\\public.bat ") + classPublic + QLatin1Char(' ') + className,
            WindowStyle::Minimized));
    skipAndContinue(shell.start(
        programFolder + QStringLiteral("\\partage.bat public ") + input.publicFolder + QStringLiteral(" /unlimited"),
        WindowStyle::Minimized));
    skipAndContinue(shell.start(programFolder + QStringLiteral("\\partage.bat matieres ") + input.subjectsFolder
            + QStringLiteral(" /unlimited"),
        WindowStyle::Minimized));
}
