// strataquill-ags: exports a project's borings to an AGS4 file, imports an
// AGS4 file into a project and checks a file against the AGS4 rules.

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "strataquill/db/project_link.h"
#include "strataquill/db/server_address.h"
#include "strataquill/exchange/ags_check.h"
#include "strataquill/exchange/ags_export.h"
#include "strataquill/exchange/ags_import.h"
#include "strataquill/exchange/exchange_settings.h"
#include "strataquill/layouts/classification_file.h"
#include "strataquill/project/file_rules.h"
#include "strataquill/project/project_file.h"
#include "strataquill/project/project_probe.h"
#include "strataquill/project/project_schema.h"
#include "strataquill/shell/program_folder.h"
#include "strataquill/shell/settings_store.h"

namespace {

namespace fs = std::filesystem;
using namespace sq::exchange;

constexpr int kUsage = 2;

const char* const kUsageText =
    "Usage: strataquill-ags export PROJECT.sq2 [-o FILE.ags] [OPTION]...\n"
    "  or:  strataquill-ags import FILE.ags -o PROJECT.sq2 [OPTION]...\n"
    "  or:  strataquill-ags check FILE.ags\n"
    "  or:  strataquill-ags completion [CLASS [TARGET | default]]\n"
    "Exchanges the borings of Strataquill projects as AGS4 files (edition 4.1.1), and checks\n"
    "AGS4 files against the rules of the format. A PROJECT may also be a project on a\n"
    "database server: its address (postgresql://...?project=NAME) or a .sqp file holding it.\n"
    "\n"
    "Commands:\n"
    "  export                   writes the project's borings to an AGS4 file\n"
    "  import                   reads an AGS4 file into a project (a new one when PROJECT.sq2\n"
    "                           does not exist), after a summary of what it will write\n"
    "  check                    lists each breach of the rules with its line; exit status 0:\n"
    "                           none, 1: breaches, 2: the file cannot be read\n"
    "  completion               lists, or sets, the PIPE / BKFL rows that each completion class\n"
    "                           is exported as: TARGET is \"PIPE PLAIN\", \"PIPE SLOTTED\",\n"
    "                           \"BKFL <code>\", both joined by \"+\", or \"none\"\n"
    "\n"
    "Export options:\n"
    "  -o, --output FILE        the AGS4 file (default: the project's name with .ags)\n"
    "  -b, --boring NAME        a boring to export (repeat for several; default: all)\n"
    "  --standard-only          no user-defined headings (the project's fields that no\n"
    "                           standard heading holds are left out)\n"
    "  --status TEXT            TRAN_STAT, the status of the data (default: Issued)\n"
    "  --location-status CODE   LOCA_STAT of every boring (FINAL, DRAFT, PRELIM, ...)\n"
    "  --recipient TEXT         TRAN_RECV (default: the project's client)\n"
    "  --dates mdy|dmy|iso      how the project writes dates (default: the desktop\n"
    "                           program's last choice, else mdy)\n"
    "\n"
    "Import options:\n"
    "  -o, --output PROJECT     the project to import into (required)\n"
    "  --replace                borings the project has already are replaced\n"
    "  --yes                    import without asking after the summary\n"
    "  --dates mdy|dmy|iso      how the project writes dates (as for export)\n";

int usage(const std::string& problem) {
  std::cerr << "strataquill-ags: " << problem << "\n" << kUsageText;
  return kUsage;
}

// Options after the command: "-o FILE" style pairs and switches.
struct Arguments {
  std::vector<std::string> positional;
  std::map<std::string, std::vector<std::string>> values;
  std::vector<std::string> switches;

  bool has(const std::string& s) const {
    return std::find(switches.begin(), switches.end(), s) != switches.end();
  }
  std::string value(const std::string& name) const {
    const auto it = values.find(name);
    return it == values.end() ? std::string() : it->second.back();
  }
};

std::optional<Arguments> parse(int argc, char** argv, const std::vector<std::string>& withValue,
                               const std::vector<std::string>& switches, std::string& problem) {
  static const std::map<std::string, std::string> kShort = {{"-o", "--output"},
                                                           {"-b", "--boring"}};
  Arguments a;
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    if (kShort.count(arg)) arg = kShort.at(arg);
    if (arg.rfind("--", 0) == 0) {
      std::string name = arg, inlineValue;
      const bool hasInline = arg.find('=') != std::string::npos;
      if (hasInline) {
        name = arg.substr(0, arg.find('='));
        inlineValue = arg.substr(arg.find('=') + 1);
      }
      if (std::find(withValue.begin(), withValue.end(), name) != withValue.end()) {
        if (!hasInline && i + 1 >= argc) {
          problem = name + " needs a value";
          return std::nullopt;
        }
        a.values[name].push_back(hasInline ? inlineValue : argv[++i]);
      } else if (std::find(switches.begin(), switches.end(), name) != switches.end()) {
        a.switches.push_back(name);
      } else {
        problem = "unknown option " + arg;
        return std::nullopt;
      }
    } else {
      a.positional.push_back(arg);
    }
  }
  return a;
}

// The order named on the command line, else the one the user last chose in
// the desktop program.
std::optional<DateOrder> dateOrder(const std::string& text) {
  return text.empty() ? storedDateOrder() : parseDateOrder(text);
}

void printIssues(const std::vector<AgsIssue>& issues) {
  for (const AgsIssue& i : issues) std::cout << formatIssue(i) << "\n";
}

int checkCommand(int argc, char** argv) {
  std::string problem;
  const auto args = parse(argc, argv, {}, {}, problem);
  if (!args) return usage(problem);
  if (args->positional.size() != 1) return usage("check takes one file");
  const AgsCheckReport report = checkAgsFile(args->positional[0]);
  if (!report.readable) {
    printIssues(report.issues);
    std::cerr << "strataquill-ags: " << args->positional[0] << ": " << report.error << "\n";
    return 2;
  }
  printIssues(report.issues);
  if (report.issues.empty()) {
    std::cout << args->positional[0] << ": no breach of the AGS4 rules (" << report.groups
              << " groups, " << report.lines << " lines).\n";
    return 0;
  }
  std::cout << args->positional[0] << ": " << report.issues.size()
            << (report.issues.size() == 1 ? " breach" : " breaches") << " of the AGS4 rules.\n";
  return 1;
}

// A project on a server, named by its address or by a link file (.sqp)
// that holds it.
bool onServer(const std::string& named) {
  return sq::db::isServerAddress(named) || sq::db::isProjectLink(named);
}

int exportCommand(int argc, char** argv) {
  std::string problem;
  const auto args = parse(argc, argv,
                          {"--output", "--boring", "--status", "--location-status", "--recipient",
                           "--dates"},
                          {"--standard-only"}, problem);
  if (!args) return usage(problem);
  if (args->positional.size() != 1) return usage("export takes one project file");
  std::string projectPath = args->positional[0];
  std::string output = args->value("--output");
  const auto order = dateOrder(args->value("--dates"));
  if (!order) return usage("--dates is mdy, dmy or iso");

  // A server project is called by its name: in the file and in the
  // default output's name (in the current folder, or beside a link file).
  std::string projectName = fs::path(projectPath).stem().string();
  if (onServer(projectPath)) {
    auto target = sq::project::ResolveProject(projectPath);
    if (!target.ok()) {
      std::cerr << "strataquill-ags: " << target.status().message() << "\n";
      return 2;
    }
    if (output.empty()) output = sq::project::ServerOutputPath(projectPath, target->title, ".ags");
    projectPath = target->path;
    projectName = target->title;
  } else {
    const auto state = sq::project::ProbeProjectFile(projectPath);
    if (state != sq::project::ProjectFileState::kProject &&
        state != sq::project::ProjectFileState::kReadOnly) {
      std::cerr << "strataquill-ags: " << sq::project::ProjectFileRefusal(state, projectPath)
                << "\n";
      return 2;
    }
  }
  if (output.empty()) output = fs::path(args->positional[0]).replace_extension(".ags").string();
  auto database = sq::db::Database::open(projectPath);
  if (!database.ok()) {
    std::cerr << "strataquill-ags: " << database.status().message() << "\n";
    return 2;
  }
  AgsExportOptions options = defaultExportOptions(projectPath, sq::classificationFile());
  options.projectFileName = projectName;
  options.userHeadings = !args->has("--standard-only");
  options.dateOrder = *order;
  if (!args->value("--status").empty()) options.transferStatus = args->value("--status");
  options.locationStatus = args->value("--location-status");
  options.recipient = args->value("--recipient");
  std::vector<std::string> borings;
  if (args->values.count("--boring")) borings = args->values.at("--boring");

  const AgsExportResult result = exportAgsFile(*database, borings, options, output);
  if (!result.status.ok()) {
    std::cerr << "strataquill-ags: " << result.status.message() << "\n";
    return 1;
  }
  for (const std::string& w : result.warnings) std::cerr << "warning: " << w << "\n";
  std::cout << "Wrote " << output << ": " << exportCounts(result) << ".\n";
  if (!result.issues.empty()) {
    printIssues(result.issues);
    std::cerr << "strataquill-ags: the written file breaks the AGS4 rules (a fault of this "
                 "program; please report it).\n";
    return 1;
  }
  return 0;
}

bool confirm() {
  std::cout << "Import? [y/N] " << std::flush;
  std::string answer;
  if (!std::getline(std::cin, answer)) return false;
  return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes";
}

int importCommand(int argc, char** argv) {
  std::string problem;
  const auto args = parse(argc, argv, {"--output", "--dates"}, {"--replace", "--yes"}, problem);
  if (!args) return usage(problem);
  if (args->positional.size() != 1) return usage("import takes one AGS file");
  const std::string file = args->positional[0];
  std::string projectPath = args->value("--output");
  if (projectPath.empty()) return usage("import needs the project: -o PROJECT.sq2");
  const auto order = dateOrder(args->value("--dates"));
  if (!order) return usage("--dates is mdy, dmy or iso");

  const bool server = onServer(projectPath);
  const bool fresh = !server && !fs::exists(projectPath);
  AgsImportContext context;
  std::optional<sq::db::Database> database;
  if (server) {
    // Into a server project that exists: strataquill-project push makes one.
    auto target = sq::project::ResolveProject(projectPath);
    auto opened = target.ok() ? sq::db::Database::open(target->path)
                              : sq::db::Result<sq::db::Database>(target.status());
    if (!opened.ok()) {
      std::cerr << "strataquill-ags: " << opened.status().message() << "\n";
      return 2;
    }
    if (opened->readOnly()) {
      std::cerr << "strataquill-ags: " << target->title << " cannot be written.\n";
      return 2;
    }
    projectPath = target->title;
    database.emplace(std::move(opened.value()));
  } else if (!fresh) {
    const auto state = sq::project::ProbeProjectFile(projectPath);
    if (state != sq::project::ProjectFileState::kProject) {
      std::cerr << "strataquill-ags: "
                << (state == sq::project::ProjectFileState::kReadOnly
                        ? projectPath + " cannot be written."
                        : sq::project::ProjectFileRefusal(state, projectPath))
                << "\n";
      return 2;
    }
    sq::project::CheckFileFormat(projectPath);
    auto opened = sq::db::Database::open(projectPath);
    if (!opened.ok()) {
      std::cerr << "strataquill-ags: " << opened.status().message() << "\n";
      return 2;
    }
    database.emplace(std::move(opened.value()));
  }
  context = importContextFor(database ? &*database : nullptr, sq::classificationFile());
  context.dateOrder = *order;

  const AgsImportPlan plan = planAgsImportFile(file, context);
  AgsImportChoices choices;
  choices.replaceExisting = args->has("--replace");
  std::cout << importSummary(plan, choices.replaceExisting);
  if (plan.refused()) return plan.unreadable ? 2 : 1;
  if (plan.newBorings() == 0 && !choices.replaceExisting) {
    std::cout << "Nothing to import.\n";
    return 1;
  }
  if (!args->has("--yes")) {
    if (!::isatty(STDIN_FILENO)) {
      std::cout << "Nothing written: confirm with --yes.\n";
      return 1;
    }
    if (!confirm()) {
      std::cout << "Nothing written.\n";
      return 1;
    }
  }
  if (fresh) {
    if (!sq::project::CreateNewProjectFile(projectPath)) {
      std::cerr << "strataquill-ags: cannot create " << projectPath << " from the template.\n";
      return 1;
    }
    auto opened = sq::db::Database::open(projectPath);
    if (!opened.ok()) {
      std::cerr << "strataquill-ags: " << opened.status().message() << "\n";
      return 1;
    }
    database.emplace(std::move(opened.value()));
  }
  const sq::db::Status status = applyAgsImport(*database, plan, choices);
  if (!status.ok()) {
    std::cerr << "strataquill-ags: nothing was imported: " << status.message() << "\n";
    if (fresh) {
      database->close();
      fs::remove(projectPath);
    }
    return 1;
  }
  std::cout << "Imported into " << projectPath << ".\n";
  return 0;
}

int completionCommand(int argc, char** argv) {
  std::string problem;
  const auto args = parse(argc, argv, {}, {}, problem);
  if (!args) return usage(problem);
  std::vector<std::string> classes;
  for (const auto& [name, patterns] :
       sq::layouts::readClassTable(sq::classificationFile(), sq::layouts::ClassKind::kCompletion))
    classes.push_back(name);
  if (args->positional.empty()) {
    const CompletionMapping mapping = CompletionMapping::load(classes);
    for (const auto& e : mapping.entries())
      std::cout << e.className << ": " << formatTarget(e.target)
                << (e.stored ? "" : " (default)") << "\n";
    return 0;
  }
  if (args->positional.size() != 2) return usage("completion takes a class and a target");
  const std::string& cls = args->positional[0];
  if (std::find(classes.begin(), classes.end(), cls) == classes.end())
    std::cerr << "warning: \"" << cls << "\" is not a completion class of "
              << sq::classificationFile() << "\n";
  std::optional<CompletionTarget> target;
  if (args->positional[1] != "default") {
    target = parseTarget(args->positional[1]);
    if (!target) return usage("\"" + args->positional[1] + "\" is not a target");
  }
  if (!SaveCompletionTarget(cls, target)) {
    std::cerr << "strataquill-ags: the settings cannot be written.\n";
    return 1;
  }
  const CompletionMapping mapping = CompletionMapping::load({cls});
  std::cout << cls << ": " << formatTarget(mapping.target(cls)) << (target ? "" : " (default)")
            << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // The desktop program, the renderer and this tool share their settings.
  sq::setApplicationName("Strataquill");
  if (argc < 2) return usage("no command");
  const std::string command = argv[1];
  if (command == "check") return checkCommand(argc, argv);
  if (command == "export") return exportCommand(argc, argv);
  if (command == "import") return importCommand(argc, argv);
  if (command == "completion") return completionCommand(argc, argv);
  if (command == "--help" || command == "-h" || command == "help") {
    std::cout << kUsageText;
    return 0;
  }
  return usage("unknown command " + command);
}
