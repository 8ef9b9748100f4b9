// A small random shift of each period, so that prodles do not fall on a
// regular beat that a provider could spot as machine-made.
#ifndef PRODLE_ENGINE_RULES_RANDOM_OFFSET_H
#define PRODLE_ENGINE_RULES_RANDOM_OFFSET_H

// The offset one draw of rand() gives: the draw's low five bits are the size,
// held at `limit`, and its lowest bit makes it negative. 0 means the draw gave
// no offset and the caller must draw again. A limit below zero is treated as
// zero (every draw then gives 0), so the caller must pass a limit of 1 or more.
int OffsetFromDraw(int draw, int limit);

// The period with its offset applied. A 60-minute period is never lengthened,
// since 60 minutes is the longest period the user can choose and the offset
// must not carry it past that; a positive offset is turned around instead.
int TargetWithOffset(int periodSecs, int offset);

#endif
