#include "benchservices.h"

BenchServices::BenchServices(const PathResolver &paths, Directory &directory, Shell *shell, MainValues *main)
    : m_journal(paths, prompts)
    , services {.paths = paths,
          .directory = directory,
          .shell = shell ? *shell : m_idle,
          .prompts = prompts,
          .passwords = m_passwords,
          .dialogs = m_dialogs,
          .main = main ? *main : mainValues,
          .journal = m_journal}
{
}
