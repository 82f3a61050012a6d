#pragma once

// Which edges of a rectangular cell receive half the frame spacing.
enum SpacingSides : int
{
    SpacingNone = 0,
    SpacingTop = 1,
    SpacingBottom = 2,
    SpacingLeft = 3,
    SpacingRight = 4,
    SpacingTopBottom = 5,
    SpacingLeftRight = 6,
};
