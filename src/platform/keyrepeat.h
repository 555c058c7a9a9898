#pragma once

namespace orrinet {

// Asks the window system to report a held key as repeated presses and one
// final release. Plain X11 sends a release and a press for every repeat, and
// Qt can tell them from a real release only when the press has already been
// read: a busy moment would stop a slew and start it again. True where the
// window system does so; elsewhere the key's repeats stay as they were.
bool useDetectableKeyRepeat();

} // namespace orrinet
