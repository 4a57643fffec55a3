#pragma once

#include <string>
#include <vector>

namespace quorvel::tool {

// Each subcommand takes its own arguments and returns the exit status: 0 done, 1 the
// catalogue could not be handled, 2 (thrown as UsageError) a wrong command line or file.
int RunDecode(const std::vector<std::string>& args);
int RunEncode(const std::vector<std::string>& args);
int RunList(const std::vector<std::string>& args);
int RunLanguages(const std::vector<std::string>& args);
int RunImportM3u(const std::vector<std::string>& args);
int RunExportM3u(const std::vector<std::string>& args);
int RunChannels(const std::vector<std::string>& args);
int RunPublish(const std::vector<std::string>& args);
int RunExtract(const std::vector<std::string>& args);
// Hands a network command over to the program that holds them; returns only when that
// program cannot be started.
int RunNetworkCommand(const std::string& command, const std::vector<std::string>& args);

// The catalogue file named on a command line, read whole; a missing or unreadable file is
// a UsageError.
std::string ReadInputFile(const std::string& path);

}  // namespace quorvel::tool
