// The program's texts by id: every text it shows, in code page 1250, from the
// one string table both builds compile (res/strings.txt). The named ids
// (IDS_…) come from the generated res/string_ids.h.
#pragma once

#include "res/string_ids.h"

// The text with that id, or null when the table has none.
const char* LoadText(int id);
