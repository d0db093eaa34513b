#include "app/message_keys.h"

namespace zelmo {

QString MessageTitle(MessageIcon icon) {
    switch (icon) {
    case miInformation:
        return QStringLiteral("Information");
    case miQuestion:
        return QStringLiteral("Question");
    case miWarning:
        break;
    }
    return QStringLiteral("Warning");
}

MessageButtonSet VisibleButtons(MessageButtons buttons) {
    MessageButtonSet set;
    set.Ok = buttons == mbOk || buttons == mbOkCancel;
    set.Cancel = buttons == mbOkCancel;
    set.Yes = set.No = buttons == mbYesNo;
    set.Close = buttons == mbClose;
    return set;
}

std::optional<MessageResult> ResultForKey(MessageButtons buttons, MessageKey key) {
    const bool yesNo = buttons == mbYesNo;
    switch (key) {
    case MessageKey::Enter:
        return yesNo ? mrYes : mrOk;
    case MessageKey::Escape:
        if (yesNo) {
            return mrNo;
        }
        return buttons == mbOkCancel ? mrCancel : mrOk;
    case MessageKey::Y:
        return yesNo ? std::optional(mrYes) : std::nullopt;
    case MessageKey::N:
        return yesNo ? std::optional(mrNo) : std::nullopt;
    case MessageKey::Other:
        break;
    }
    return std::nullopt;
}

} // namespace zelmo
