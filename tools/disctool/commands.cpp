#include "tools/disctool/commands.h"

#include "project_version.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace disctool {
namespace {

bool IsHelp(const char* word) {
    return std::strcmp(word, "--help") == 0 || std::strcmp(word, "-h") == 0;
}

// "disctool picture convert": the names of the commands from the root to this one.
std::string CommandPath(const std::vector<const Command*>& chain) {
    std::string path;
    for (const Command* command : chain) {
        if (!path.empty()) path += ' ';
        path += command->name;
    }
    return path;
}

// "--codepage N" or "--json".
std::string OptionWords(const Option& option) {
    std::string words = option.name;
    if (option.valueName != nullptr) words = words + ' ' + option.valueName;
    return words;
}

// The options of a leaf, each with its help in a column; lines of help after the first are
// indented to the column.
void PrintOptions(std::FILE* out, const Command& command) {
    constexpr std::size_t kHelpColumn = 24;
    if (command.options.empty()) return;
    std::fprintf(out, "\nOptions:\n");
    for (const OptionUse& use : command.options) {
        std::string line = "  " + OptionWords(*use.option);
        line += line.size() < kHelpColumn ? std::string(kHelpColumn - line.size(), ' ') : "  ";
        for (const char* c = use.Help(); *c != '\0'; ++c) {
            line += *c;
            if (*c == '\n') line += std::string(kHelpColumn, ' ');
        }
        std::fprintf(out, "%s\n", line.c_str());
    }
}

// The usage of the last command of chain: its synopsis, with its details and options when
// full, and a group's list of commands.
void PrintUsage(std::FILE* out, const std::vector<const Command*>& chain, bool full) {
    const Command& command = *chain.back();
    const std::string path = CommandPath(chain);
    if (command.run != nullptr) {
        std::fprintf(out, "usage: %s %s\n", path.c_str(), Synopsis(command).c_str());
    } else {
        std::fprintf(out, "usage: %s <command> [arguments]\n", path.c_str());
    }
    if (full && command.details != nullptr) std::fprintf(out, "\n%s\n", command.details);
    if (full) PrintOptions(out, command);
    if (full && command.printMoreHelp != nullptr) command.printMoreHelp(out);
    if (command.run != nullptr) {
        if (!full) std::fprintf(out, "Run \"%s --help\" for more.\n", path.c_str());
        return;
    }

    // Each command's synopsis on its own line and its summary below it: the synopses differ
    // too much in length for one aligned column.
    std::fprintf(out, "\nCommands:\n");
    for (const Command& child : command.children) {
        std::string synopsis = child.name;
        if (child.run != nullptr) synopsis = synopsis + ' ' + Synopsis(child);
        std::fprintf(out, "  %s\n      %s\n", synopsis.c_str(), child.summary);
    }
    std::fprintf(out, "\nRun \"%s <command> --help\" for the details of one command.\n",
                 path.c_str());
}

const Option* FindOption(const Command& command, const std::string& name) {
    for (const OptionUse& use : command.options) {
        if (name == use.option->name) return use.option;
    }
    return nullptr;
}

int UsageError(const std::vector<const Command*>& chain, const std::string& message) {
    std::fprintf(stderr, "%s: %s\n\n", chain.front()->name, message.c_str());
    PrintUsage(stderr, chain, false);
    return kExitUsage;
}

int RunLeaf(const std::vector<const Command*>& chain, int first, int argc,
            const char* const* argv) {
    const Command& command = *chain.back();
    std::vector<const char*> operands;
    Invocation invocation;
    bool optionsEnded = false;
    for (int i = first; i < argc; ++i) {
        const char* word = argv[i];
        if (!optionsEnded && word[0] == '-' && word[1] != '\0') {
            if (std::strcmp(word, "--") == 0) {
                optionsEnded = true;
                continue;
            }
            if (IsHelp(word)) {
                PrintUsage(stdout, chain, true);
                return kExitOk;
            }
            const char* equals = std::strchr(word, '=');
            const std::string name = equals != nullptr ? std::string(word, equals) : word;
            const Option* option = FindOption(command, name);
            if (option == nullptr) return UsageError(chain, "unknown option '" + name + "'");
            if (option->valueName == nullptr) {
                if (equals != nullptr) return UsageError(chain, name + " takes no value");
                invocation.options.emplace_back(name, "");
            } else if (equals != nullptr) {
                invocation.options.emplace_back(name, equals + 1);
            } else if (i + 1 < argc) {
                invocation.options.emplace_back(name, argv[++i]);
            } else {
                return UsageError(chain, name + " needs a value (" + option->valueName + ")");
            }
            continue;
        }
        operands.push_back(word);
    }
    if (operands.size() < command.minOperands) return UsageError(chain, "missing operand");
    if (operands.size() > command.maxOperands) {
        return UsageError(
            chain, std::string("unexpected operand '") + operands[command.maxOperands] + "'");
    }
    for (const OptionUse& use : command.options) {
        if (use.required && !invocation.Has(use.option->name))
            return UsageError(chain, "missing option " + OptionWords(*use.option));
    }
    invocation.operands = Operands(operands.data(), operands.size());
    if (command.checkOperands != nullptr) {
        if (const char* message = command.checkOperands(invocation.operands)) {
            return UsageError(chain, message);
        }
    }
    return command.run(invocation);
}

}  // namespace

std::string Synopsis(const Command& command) {
    std::string synopsis;
    for (const OptionUse& use : command.options) {
        const std::string words = OptionWords(*use.option);
        synopsis += use.required ? words : "[" + words + "]";
        if (use.option->repeats) synopsis += "...";
        synopsis += ' ';
    }
    return synopsis + (command.operands != nullptr ? command.operands : "");
}

int InputStatus(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return kExitUsage;
    // A folder opens on some systems; reading tells.
    char byte = 0;
    const bool readable = std::fread(&byte, 1, 1, file) == 1 || std::feof(file) != 0;
    std::fclose(file);
    return readable ? kExitFailed : kExitUsage;
}

bool Invocation::Has(const char* name) const { return Value(name) != nullptr; }

const char* Invocation::Value(const char* name) const {
    const char* value = nullptr;
    for (const auto& [given, text] : options) {
        if (given == name) value = text.c_str();
    }
    return value;
}

std::vector<std::string> Invocation::Values(const char* name) const {
    std::vector<std::string> values;
    for (const auto& [given, text] : options) {
        if (given == name) values.push_back(text);
    }
    return values;
}

int Dispatch(const Command& root, int argc, const char* const* argv) {
    std::vector<const Command*> chain{&root};
    int i = 1;
    while (chain.back()->run == nullptr) {
        const Command& group = *chain.back();
        if (i >= argc) return UsageError(chain, "missing command");
        const char* word = argv[i];
        if (IsHelp(word)) {
            PrintUsage(stdout, chain, true);
            return kExitOk;
        }
        if (chain.size() == 1 && std::strcmp(word, "--version") == 0) {
            std::printf("%s %s\n", root.name, PROJECT_VERSION_TEXT);
            return kExitOk;
        }
        const Command* next = nullptr;
        for (const Command& child : group.children) {
            if (std::strcmp(child.name, word) == 0) {
                next = &child;
                break;
            }
        }
        if (next == nullptr) {
            return UsageError(
                chain, std::string(word[0] == '-' ? "unknown option '" : "unknown command '") +
                           word + "'");
        }
        chain.push_back(next);
        ++i;
    }
    return RunLeaf(chain, i, argc, argv);
}

}  // namespace disctool
