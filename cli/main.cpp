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
                                  {"Needs", "需要"}, {"Excludes", "不能与"}, {"Env", "环境变量"}})
    f->label(key, text);
  app.option_defaults()->group("选项");
  app.set_help_flag("-h,--help", kHelpFlagText);
}

// CLI11 words its findings in English; the usual ones said in ours.
std::string InChinese(std::string said) {
  static const std::pair<const char*, const char*> kWords[] = {
      {"A subcommand is required", "需要一个子命令"},
      {"The following arguments were not expected: ", "不认识的参数: "},
      {"The following argument was not expected: ", "不认识的参数: "},
      {" is required", " 是必需的"},
      {"Subcommand ", "子命令 "},
  };
  for (const auto& [english, ours] : kWords)
    for (std::size_t at; (at = said.find(english)) != std::string::npos;) said.replace(at, std::string(english).size(), ours);
  // "--cm: 1 required D.MMSS missing"
  static const std::regex kMissing(R"((\d+) required (\S+) missing)");
  return std::regex_replace(said, kMissing, "缺少 $1 个 $2 取值");
}

int Run(int argc, char** argv) {
  CLI::App app{"Vantrel 批量计算: 整个点文件或 CSV 的坐标转换 (与计算器对话框同一算法、同样位数), 导线平差, 由公共点求七参数。"};
  app.name("vantrel-cli");
  app.require_subcommand(1);
  app.footer(kFooter);
  app.get_formatter()->column_width(34);
  SpeakChinese(app);

  // In the order the help lists them.
  Registry r{app, {}};
  AddConversions(r);
  AddFit4(r);
  AddPlaneCommands(r);
  AddReceiverLog(r);
  AddTraverse(r);
  AddFit7(r);
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
    if (dynamic_cast<const CLI::RequiredError*>(&e)) {
      said = "缺少必需的子命令或选项 (" + said + ")";
    } else if (dynamic_cast<const CLI::ExtrasError*>(&e)) {
      said = "多余或不认识的参数 (" + said + ")";
    } else if (dynamic_cast<const CLI::ArgumentMismatch*>(&e)) {
      said = "选项缺少取值 (" + said + ")";
    }
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
