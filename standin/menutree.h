#pragma once
// The command catalogue as an indented text tree, for people and for tests that compare a whole
// menu at once.

#include <cstdint>
#include <string>

#include "standin/model.h"

namespace vel::standin {

// One menu set: the menu bar's items by position, each submenu's items (submenus and commands
// sharing one numbering) below it, commands with their command lines; then the toolbar buttons
// in order; then the commands that are defined but in no menu; then any item whose parent menu
// does not exist. Every line ends in "\n".
std::string menuTree(const Catalogue& catalogue, int32_t menuSet = 1);

}  // namespace vel::standin
