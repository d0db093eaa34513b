#pragma once

// The message dialog's rules, apart from its widgets: icon kinds and their window titles, the
// button sets and which buttons each shows, the result codes, and which key gives which result.

#include <QString>

#include <optional>

namespace zelmo {

enum MessageIcon : int { miWarning = 0, miInformation = 1, miQuestion = 2 };
enum MessageButtons : int { mbOk = 0, mbOkCancel = 1, mbYesNo = 2, mbClose = 3 };
enum MessageResult : int { mrOk = 0, mrCancel = 1, mrYes = 2, mrNo = 3, mrClose = 4 };

// "Warning", "Information" or "Question".
QString MessageTitle(MessageIcon icon);

struct MessageButtonSet {
    bool Ok = false;
    bool Cancel = false;
    bool Yes = false;
    bool No = false;
    bool Close = false;
};
MessageButtonSet VisibleButtons(MessageButtons buttons);

// Keys the dialog answers to, apart from the buttons themselves.
enum class MessageKey { Enter, Escape, Y, N, Other };

// Enter gives Yes with Yes/No and OK otherwise; Escape gives No with Yes/No, Cancel with OK and
// Cancel, OK otherwise; Y and N (either case) give Yes and No with Yes/No only. Nothing for a
// key the set ignores.
std::optional<MessageResult> ResultForKey(MessageButtons buttons, MessageKey key);

// The result of a dialog closed without a button or key: the one it starts with.
inline constexpr MessageResult kMessageDefaultResult = mrOk;

} // namespace zelmo
