// The orvelxml subcommands. Each takes the words after its name and returns
// the process exit code (tools/tool_support.h).
#pragma once

#include <string>
#include <vector>

#include "tools/tool_support.h"

namespace orvelxml {

using Args = std::vector<std::string>;

int RunDemoCommand(const Args& args, const ToolOptions& options);
int RunCheckCommand(const Args& args, const ToolOptions& options);
int RunFormatCommand(const Args& args, const ToolOptions& options);
int RunScriptCommand(const Args& args, const ToolOptions& options);
int RunPackCommand(const Args& args, const ToolOptions& options);
int RunUnpackCommand(const Args& args, const ToolOptions& options);

}  // namespace orvelxml
