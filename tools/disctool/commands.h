// The command tree of disctool and the dispatcher that walks it: each level is a group of
// named commands or a leaf that takes operands. Every level answers --help on standard
// output; a command line that fits no level gets a message and the usage on standard error.
#pragma once

#include <cstddef>
#include <cstdio>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace disctool {

// Process exit statuses of every command.
inline constexpr int kExitOk = 0;      // done
inline constexpr int kExitFailed = 1;  // findings, or an operation that failed (a file that
                                       // does not decode, an output that cannot be written)
inline constexpr int kExitUsage = 2;   // a command line that fits no command, or an input
                                       // that cannot be read at all

// The status for an input file that could not be used: kExitUsage when it cannot be opened
// for reading at all (missing, a folder, no permission), else kExitFailed (it was read but is
// not what it should be).
int InputStatus(const char* path);

// The operands of a leaf command: the words after the command's name, options removed.
using Operands = std::span<const char* const>;

// An option: "--name", or "--name VALUE" / "--name=VALUE" when it takes a value. Options may
// stand anywhere among the operands and may be given again (the last one counts, unless the
// option repeats). Each option is declared once, and the commands that take it refer to that
// declaration; the usage and --help of every command are made from these.
struct Option {
    const char* name;       // with its dashes ("--json")
    const char* valueName;  // for the usage ("INDEX"); null for a flag
    const char* help;       // for --help; '\n' starts a further line
    bool repeats = false;   // every value counts ("[--drive X:=DIR]...")
};

// An option as one command takes it.
struct OptionUse {
    const Option* option;
    // What the option does in this command where the declaration's help does not say it
    // (null: the declaration's help).
    const char* help = nullptr;
    bool required = false;  // the command cannot run without it

    const char* Help() const { return help != nullptr ? help : option->help; }
};

// What a leaf command was given: its operands and its options in command-line order.
struct Invocation {
    Operands operands;
    std::vector<std::pair<std::string, std::string>> options;  // name with dashes, value

    // Whether the option was given at all.
    bool Has(const char* name) const;
    // The value of the last occurrence of the option, or null when it was not given.
    const char* Value(const char* name) const;
    // The values of every occurrence, in order.
    std::vector<std::string> Values(const char* name) const;
};

struct Command {
    const char* name;         // the word that selects it ("picture", "convert")
    const char* operands;     // operand synopsis of a leaf ("IN OUT"); null for a group; the
                              // usage puts the options before it
    const char* summary;      // one line for the parent's command list
    const char* details;      // text of its own --help below the usage line; may be null
    std::size_t minOperands;  // a leaf's operand count bounds
    std::size_t maxOperands;
    int (*run)(const Invocation& invocation);  // a leaf's action, returning the exit status;
                                               // null for a group
    std::span<const Command> children;         // a group's commands; empty for a leaf
    // A leaf's test of its operands before it runs: null when they fit, else the message
    // that goes with the usage. May itself be null.
    const char* (*checkOperands)(Operands operands) = nullptr;
    // The options a leaf accepts, in the order the usage lists them; any other word starting
    // with "-" is a usage error.
    std::span<const OptionUse> options = {};
    // Prints what follows the details in the leaf's --help (a table built at run time); may be
    // null.
    void (*printMoreHelp)(std::FILE* out) = nullptr;
};

// The synopsis of a leaf after its name: every option it accepts (in brackets unless required,
// "..." after one that repeats), then its operands.
std::string Synopsis(const Command& command);

// Runs the command line argv[1 .. argc) against the tree under root (whose name is the
// program's) and returns the exit status: the leaf's own, kExitOk after --help, or
// kExitUsage for a command line that fits no command.
int Dispatch(const Command& root, int argc, const char* const* argv);

}  // namespace disctool
