// A whole level set arriving from outside the map file (a shared code, a
// dropped file), taken in as a successful load of the map file is.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// LevelSet becomes `cells` (5775 codes), a shared set with its title and
// author; in play a new game starts on them, in the editor the first of them
// is edited, as after F2. False, with nothing changed, in any other moment (a
// try-out, the start-up) or for a set of another size.
bool OpenLevelSet(const std::vector<int32_t>& cells, const std::string& title = {},
                  const std::string& author = {});
