#pragma once

namespace QuiltraGlobal {

// What a picker offers for placing on the collage: a picture resource or emoji text.
enum TStickerType : int
{
    Sticker = 0,
    Emoji = 1,
};

} // namespace QuiltraGlobal
