#include "app/message_keys.h"

#include <gtest/gtest.h>

namespace zelmo {
namespace {

TEST(MessageKeys, KeysAnswerByButtonSet) {
    using K = MessageKey;
    using R = std::optional<MessageResult>;
    struct Case {
        MessageButtons set;
        K key;
        R result;
    };
    const Case cases[] = {
        {mbOk, K::Enter, mrOk},    {mbOk, K::Escape, mrOk},      {mbOk, K::Y, {}},
        {mbOk, K::N, {}},          {mbOkCancel, K::Enter, mrOk}, {mbOkCancel, K::Escape, mrCancel},
        {mbOkCancel, K::Y, {}},    {mbYesNo, K::Enter, mrYes},   {mbYesNo, K::Escape, mrNo},
        {mbYesNo, K::Y, mrYes},    {mbYesNo, K::N, mrNo},        {mbYesNo, K::Other, {}},
        {mbClose, K::Enter, mrOk}, {mbClose, K::Escape, mrOk},   {mbClose, K::N, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ResultForKey(c.set, c.key), c.result)
            << "set " << c.set << " key " << static_cast<int>(c.key);
    }
}

TEST(MessageKeys, ButtonSetsAndTitles) {
    EXPECT_TRUE(VisibleButtons(mbOk).Ok);
    EXPECT_FALSE(VisibleButtons(mbOk).Cancel);
    const MessageButtonSet okCancel = VisibleButtons(mbOkCancel);
    EXPECT_TRUE(okCancel.Ok && okCancel.Cancel && !okCancel.Yes && !okCancel.Close);
    const MessageButtonSet yesNo = VisibleButtons(mbYesNo);
    EXPECT_TRUE(yesNo.Yes && yesNo.No && !yesNo.Ok);
    const MessageButtonSet close = VisibleButtons(mbClose);
    EXPECT_TRUE(close.Close && !close.Ok && !close.No);

    EXPECT_EQ(MessageTitle(miWarning), "Warning");
    EXPECT_EQ(MessageTitle(miInformation), "Information");
    EXPECT_EQ(MessageTitle(miQuestion), "Question");
    EXPECT_EQ(kMessageDefaultResult, mrOk);
}

} // namespace
} // namespace zelmo
