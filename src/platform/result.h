#pragma once

// The one shape of a result that can fail: whether it worked and, when not, the message the
// user reads. Results that carry more (counts, flags) derive from it, so every caller checks
// `ok` and shows `message` the same way.

#include <QString>

#include <utility>

namespace zelmo {

struct Result {
    bool ok = false;
    QString message; // empty on success unless the operation reports a note

    static Result success(QString note = {}) { return {true, std::move(note)}; }
    static Result failure(QString message) { return {false, std::move(message)}; }
};

} // namespace zelmo
