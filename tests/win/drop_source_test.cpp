// The drop source's answers as the drag loop reads them: the result codes, the interfaces it
// gives out, and references that count nothing.

#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include "dragout/drop_source.h"

namespace {

TEST(DropSource, AnswersTheDragLoopWithTheSystemsCodes) {
    dragout::DropSource source;
    // Escape or the right button cancel whatever else is held.
    EXPECT_EQ(source.QueryContinueDrag(TRUE, MK_LBUTTON), DRAGDROP_S_CANCEL);
    EXPECT_EQ(source.QueryContinueDrag(TRUE, 0), DRAGDROP_S_CANCEL);
    EXPECT_EQ(source.QueryContinueDrag(FALSE, MK_LBUTTON | MK_RBUTTON), DRAGDROP_S_CANCEL);
    EXPECT_EQ(source.QueryContinueDrag(FALSE, MK_RBUTTON), DRAGDROP_S_CANCEL);
    // The middle button and the modifier keys play no part.
    EXPECT_EQ(source.QueryContinueDrag(FALSE, MK_LBUTTON), S_OK);
    EXPECT_EQ(source.QueryContinueDrag(FALSE, MK_LBUTTON | MK_MBUTTON | MK_SHIFT | MK_CONTROL),
              S_OK);
    EXPECT_EQ(source.QueryContinueDrag(FALSE, 0), DRAGDROP_S_DROP);
    EXPECT_EQ(source.QueryContinueDrag(FALSE, MK_MBUTTON | MK_SHIFT), DRAGDROP_S_DROP);

    const DWORD effects[] = {DROPEFFECT_NONE, DROPEFFECT_COPY, DROPEFFECT_MOVE, DROPEFFECT_LINK,
                             DROPEFFECT_SCROLL | DROPEFFECT_COPY};
    for (DWORD effect : effects)
        EXPECT_EQ(source.GiveFeedback(effect), DRAGDROP_S_USEDEFAULTCURSORS) << effect;
}

TEST(DropSource, GivesOutItselfAsDropSourceAndUnknownOnlyAndCountsNoReferences) {
    dragout::DropSource source;
    IDropSource* asSource = &source;
    void* object = nullptr;
    EXPECT_EQ(source.QueryInterface(IID_IDropSource, &object), S_OK);
    EXPECT_EQ(object, asSource);
    object = nullptr;
    EXPECT_EQ(source.QueryInterface(IID_IUnknown, &object), S_OK);
    EXPECT_EQ(object, asSource);
    object = &source;
    EXPECT_EQ(source.QueryInterface(IID_IDataObject, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(source.QueryInterface(IID_IDropSource, nullptr), E_POINTER);

    EXPECT_EQ(source.AddRef(), static_cast<ULONG>(-1));
    EXPECT_EQ(source.Release(), static_cast<ULONG>(-1));
    EXPECT_EQ(source.Release(), static_cast<ULONG>(-1));
}

} // namespace
