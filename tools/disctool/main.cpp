// disctool: checks and prepares the pictures of a product disc with the same loaders the
// launcher uses; its commands are the tree of tools/disctool/commandtree.h.
#include "tools/disctool/commandtree.h"

int main(int argc, char** argv) { return disctool::Dispatch(disctool::kRoot, argc, argv); }
