#pragma once

// The message log view: a read-only, unwrapped, fixed-pitch text view on a pale yellow ground
// that appends the coloured runs the log model composes and keeps the newest line in sight.
// It is never cleared while the application runs.

#include "app/message_log.h"

#include <QTextEdit>

#include <vector>

namespace zelmo {

class TLogView : public QTextEdit {
    Q_OBJECT
public:
    explicit TLogView(QWidget* parent = nullptr);

    void Append(const std::vector<LogRun>& runs);
    // The text as shown, for tests and copies.
    QString Text() const { return toPlainText(); }
};

} // namespace zelmo
