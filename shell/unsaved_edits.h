// Whether the editor holds edits that no save or load has caught up with:
// for a host that must warn before it lets them go (the page's reload).
#pragma once

// True in the editor (or a try-out from it) when the levels differ from the
// ones last loaded, saved or found on entering it, as leaving would ask.
bool EditsUnsaved();
