#pragma once

#include <vector>

namespace quorvel::cli {

class CliArguments;
class CliContext;
struct FormSpec;

// The spreadsheet exports, written into the data folder as the window writes them; each prints
// the workbook's full path as its last line:
//   xlsx history [--display] [--position P] [--kind K]   lishi.xlsx, with --display the per-draw
//                                                       results (asks first: needs --yes)
//   xlsx formulas [--position P] [--kind K]              gongshi.xlsx, the list after a pass
//   xlsx ranking  [predict options]                      ErrarrLei.xlsx, after the prediction
//   xlsx details  [predict options]                      gongshi.xlsx, the detail list after it
//   xlsx steps --list-no N [--position P] [--kind K]     LSJS.xlsx
//   xlsx trend [--tab T] [--scope S] [--range R]         zoushi.xlsx, a tab of the trend window
class XlsxCommand
{
public:
    static std::vector<const FormSpec*> forms();
    static int run(const CliContext& context, CliArguments& arguments);

private:
    static int history(const CliContext& context, CliArguments& arguments);
    static int formulas(const CliContext& context, CliArguments& arguments);
    static int prediction(const CliContext& context, CliArguments& arguments, bool details);
    static int steps(const CliContext& context, CliArguments& arguments);
    static int trend(const CliContext& context, CliArguments& arguments);
};

} // namespace quorvel::cli
