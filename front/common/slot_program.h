// Where the window finds the station a production line's slots run: quillon-cli beside it (as
// installed), or in the console's folder of the same build tree.
#pragma once

#include <string>

namespace quillon {

// The path of quillon-cli; empty when it is in neither place.
std::string SlotProgram();

}  // namespace quillon
