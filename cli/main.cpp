// vantrel-cli: the calculator's conversions over whole point files and CSV, from the shell.
// Arguments through CLI11; every number through the routines and text rules the dialogs
// use (batch/); exit status 0 all converted, 1 bad data or a file that failed, 2 usage.
// Each family of subcommands adds itself to the registry from its own file.
#include <iostream>
#include <regex>
#include <string>
#include <utility>

#include "cli/options.h"

namespace vantrel::cli {
namespace {

const char* const kHelpFlagText = "显示此帮助并退出";

// CLI11's own words in help and usage texts, in ours.
void SpeakChinese(CLI::App& app) {
  auto f = app.get_formatter();
  for (const auto& [key, text] : {std::pair{"Usage", "用法"}, {"OPTIONS", "选项"}, {"SUBCOMMAND", "子命令"},
                                  {"SUBCOMMANDS", "子命令"}, {"Positionals", "位置参数"}, {"REQUIRED", "必需"},
                                  {"Needs", "需要"}, {"Excludes", "互斥"}, {"Env", "环境变量"}})
    f->label(key, text);
  app.option_defaults()->group("选项");
  app.set_help_flag("-h,--help", kHelpFlagText);
}

// CLI11 words its findings in English: each of its sentences (CLI11 2.1) in ours, with the
// kind of fault in front where the sentence alone does not say it.
std::string InChinese(const std::string& said) {
  struct Sentence {
    std::regex english;
    const char* ours;
  };
  static const Sentence kSentences[] = {
      {std::regex(R"(A subcommand is required)"), "缺少必需的子命令或选项 (需要一个子命令)"},
      {std::regex(R"(Requires at least (\d+) subcommands)"), "缺少必需的子命令或选项 (至少要 $1 个子命令)"},
      {std::regex(R"(The following arguments? (was|were) not expected: (.*))"), "多余或不认识的参数 (不认识的参数: $2)"},
      {std::regex(R"((\S+): (\d+) required (\S+) missing)"), "选项缺少取值 ($1: 缺少 $2 个 $3 取值)"},
      {std::regex(R"(Expected (exactly|at least) (\d+) arguments to (\S+), got (\d+))"),
       "选项缺少取值 ($3 应有 $2 个取值, 给了 $4 个)"},
      {std::regex(R"((\S+): At least (\d+) required but received (\d+))"), "选项缺少取值 ($1 至少要 $2 个取值, 给了 $3 个)"},
      {std::regex(R"((\S+): At Most (\d+) required but received (\d+))"), "$1 只能给一次 (给了 $3 个取值)"},
      {std::regex(R"((\S+) was given a disallowed flag override)"), "$1 是开关, 不带取值"},
      {std::regex(R"((\S+): too many inputs for a flag)"), "$1 是开关, 不带取值"},
      {std::regex(R"((\S+): Should be true/false or a number)"), "$1 是开关, 不带取值"},
      {std::regex(R"(Could not convert: (\S+) = (.*))"), "$1 不能取值 \"$2\""},
      {std::regex(R"(The value (\S+) is not an allowed value for (\S+))"), "$2 不能取值 \"$1\""},
      {std::regex(R"((\S+) requires (\S+))"), "$1 需要 $2"},
      {std::regex(R"((\S+) excludes (\S+))"), "$1 不能与 $2 同时给出"},
      {std::regex(R"((\S+): Too many positional arguments with unlimited expected args)"), "$1: 位置参数太多"},
      {std::regex(R"((\S+) is required)"), "缺少必需的子命令或选项 ($1 是必需的)"},
  };
  for (const Sentence& s : kSentences) {
    std::smatch m;
    if (std::regex_match(said, m, s.english)) return m.format(s.ours);
  }
  // None of CLI11's sentences above: its words as they are, said to be about the arguments.
  return "参数有误 (" + said + ")";
}

int Run(int argc, char** argv) {
  CLI::App app{"Vantrel 批量计算: 整个点文件或 CSV 的坐标转换 (与计算器对话框同一算法、同样位数), 导线平差, 控制网与水准网严密平差, 由公共点求七参数。"};
  app.name("vantrel-cli");
  app.require_subcommand(1);
  app.footer(kFooter);
  app.get_formatter()->column_width(34);
  SpeakChinese(app);

  // In the order the help lists them.
  Registry r{app, {}};
  AddConversions(r);
  AddConvert(r);
  AddFit4(r);
  AddPlaneCommands(r);
  AddReceiverLog(r);
  AddTraverse(r);
  AddLevel(r);
  AddAdjust(r);
  AddFit7(r);
  AddHeightFit(r);
  for (CLI::App* sub : app.get_subcommands({})) {
    sub->group("子命令");
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::string said = InChinese(e.what());
    // A word where the subcommand goes that names none: CLI11 only misses the subcommand.
    if (dynamic_cast<const CLI::RequiredError*>(&e) && argc > 1 && argv[1][0] != '-' &&
        r.run.count(argv[1]) == 0)
      said = "不认识的子命令 \"" + std::string(argv[1]) + "\"";
    std::cerr << "vantrel-cli: " << said << "\n用 vantrel-cli --help 查看用法。\n";
    return 2;
  }

  const std::string name = app.get_subcommands().front()->get_name();
  try {
    return r.run.at(name)();
  } catch (const UsageError& e) {
    std::cerr << "vantrel-cli " << name << ": " << e.what() << "\n用 vantrel-cli " << name
              << " --help 查看用法。\n";
    return 2;
  }
}

}  // namespace
}  // namespace vantrel::cli

int main(int argc, char** argv) {
  try {
    return vantrel::cli::Run(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "vantrel-cli: 计算中止: " << e.what() << "\n";
    return 1;
  }
}
