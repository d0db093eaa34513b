#pragma once

// The messages the library holds for each context (a port, 0 for library-wide ones, or a
// programmer's list position after a failed open), fetched one by one by _ZmGetMessage.
// Pinned messages (the mistakes found in the configuration) stay at the head of their
// context, whatever replaces the others, until a reader has walked past the end of the list.

#include "abi/hardware_api.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace hwsim {

struct Message {
    std::uint8_t cls = ZM_MSG_DETAIL;
    std::int32_t error = 0;
    std::string text;
};

class MessageBoard {
public:
    void clear(int context);
    void add(int context, Message message);
    // Replaces the messages of a context.
    void set(int context, std::vector<Message> messages);
    void pin(int context, Message message);
    std::vector<Message> get(int context) const;
    // Message n of a context, pinned ones first; fetching past the end drops the pinned ones.
    bool fetch(int context, int n, ZmMessage* out);
    void clearAll();

private:
    mutable std::mutex mutex_;
    std::map<int, std::vector<Message>> messages_;
    std::map<int, std::vector<Message>> pinned_;
};

// Shorthands for the common records.
inline Message info(std::string text) {
    return {ZM_MSG_DETAIL, 0, std::move(text)};
}
inline Message failure(std::string text) {
    return {ZM_MSG_DETAIL, 1, std::move(text)};
}
inline Message statusLine(std::string text, bool error) {
    return {ZM_MSG_STATUS_LINE, error ? 1 : 0, std::move(text)};
}

} // namespace hwsim
