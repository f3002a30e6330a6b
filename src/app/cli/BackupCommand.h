#pragma once

#include <vector>

namespace quorvel::cli {

class CliArguments;
class CliContext;
struct FormSpec;

// `backup list`, `backup restore ID` and `undo`: the states kept before destructive operations,
// and their restore (both need --yes; a restore is itself kept, so it can be undone).
class BackupCommand
{
public:
    static std::vector<const FormSpec*> forms();
    static std::vector<const FormSpec*> undoForms();
    static int run(const CliContext& context, CliArguments& arguments);
    static int undo(const CliContext& context, CliArguments& arguments);

private:
    static int list(const CliContext& context, CliArguments& arguments);
    static int restore(const CliContext& context, CliArguments& arguments);
};

} // namespace quorvel::cli
