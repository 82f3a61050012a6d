#include "CollageState.h"

CollageState &CollageState::instance()
{
    static CollageState state;
    return state;
}

void CollageState::reset()
{
    instance() = CollageState();
}

LayoutTemplate *CollageState::currentLayout()
{
    if (photoCountIndex < 0 || photoCountIndex >= kPhotoCountChoices)
        return nullptr;
    QList<LayoutTemplate> &layouts = layoutCatalogue[photoCountIndex];
    if (layoutIndex < 0 || layoutIndex >= layouts.size())
        return nullptr;
    return &layouts[layoutIndex];
}
