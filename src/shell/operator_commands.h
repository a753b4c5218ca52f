// The admin commands the window's boxes give the operator to type, written
// for the system's own shell (platform.h's ShellWord and AdminCommand).
#pragma once

#include "shell/session.h"

#include <QString>

namespace shell {

// The command that creates the company the session names: setup in its data
// folder, or init on the office server. With no company named, the first
// try: a demonstration company DEMO in SuggestedDataFolder(). With a company
// but a blank data folder, "<cartella>" stands for the folder to choose.
QString CreateCompanyCommand(const Session& session);

// The command that checks the company's file once put back from a copy.
QString VerifyCompanyCommand(const Session& session);

// The command that completes the session's company on the office server
// (its history's guards), "<connessione>" standing for the INI file's
// SERVER line.
QString UpgradeCompanyCommand(const Session& session);

}  // namespace shell
