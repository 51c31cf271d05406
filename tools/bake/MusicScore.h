#pragma once
// The menu tune as text, compiled into a tracker module.
//
//   title Pellora Menu          module name
//   speed 6 / bpm 90 / rows 64  ticks per row, tempo, rows of every pattern
//   instrument <name> <voice> volume=0..64 [attack= decay= sustain= fadeout=]
//       voices: pad keys bell bass kick brush shaker (generated samples); attack and
//       decay in ticks, sustain 0..64: a volume envelope held until the key is released,
//       then faded by fadeout per tick
//   track <name> channels=1,2 [instrument=<name>] [grid=<c>:<instrument>:<volume>,...]
//   pattern <name> [from <pattern>]   then one line per track: "<track> <tokens>"
//   order <pattern> <pattern> ...     restart <position in the order list>
//
// Tokens of a note track, each lasting /n rows: "E5/4", a chord "A3+C4+E4/16" over the
// track's channels, a volume "C5/2@40" (0..64), a rest "r/4" (releases the keys), a hold
// "~/4" (lets the sound ring on). A grid track has one character per row, "." for none.
#include "tools/bake/XmWriter.h"

#include <string>

// False with a message naming the line when the text is not a valid tune.
bool CompileMusicScore(const std::string& text, XmModule& module, std::string& error);
