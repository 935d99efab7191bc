// The command tree of disctool and the dispatcher that walks it: each level is a group of
// named commands or a leaf that takes operands. Every level answers --help on standard
// output; a command line that fits no level gets a message and the usage on standard error.
#pragma once

#include <cstddef>
#include <span>

namespace disctool {

// Process exit statuses of every command.
inline constexpr int ExitOk = 0;       // done
inline constexpr int ExitFailed = 1;   // a file could not be read, decoded or written
inline constexpr int ExitUsage = 2;    // the command line fits no command

// The operands of a leaf command: the words after the command's name, options removed.
using Operands = std::span<const char* const>;

struct Command {
    const char* name;              // the word that selects it ("picture", "convert")
    const char* operands;          // operand synopsis of a leaf ("IN OUT"); null for a group
    const char* summary;           // one line for the parent's command list
    const char* details;           // text of its own --help below the usage line; may be null
    std::size_t minOperands;       // a leaf's operand count bounds
    std::size_t maxOperands;
    int (*run)(Operands operands); // a leaf's action, returning the exit status; null for a group
    std::span<const Command> children;  // a group's commands; empty for a leaf
    // A leaf's test of its operands before it runs: null when they fit, else the message
    // that goes with the usage. May itself be null.
    const char* (*checkOperands)(Operands operands) = nullptr;
};

// Runs the command line argv[1 .. argc) against the tree under root (whose name is the
// program's) and returns the exit status: the leaf's own, ExitOk after --help, or
// ExitUsage for a command line that fits no command.
int Dispatch(const Command& root, int argc, const char* const* argv);

}  // namespace disctool
