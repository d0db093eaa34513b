#include "message_board.h"

#include "text_util.h"

#include <cstring>

namespace hwsim {

void MessageBoard::clear(int context) {
    std::lock_guard lock(mutex_);
    messages_.erase(context);
}

void MessageBoard::add(int context, Message message) {
    std::lock_guard lock(mutex_);
    messages_[context].push_back(std::move(message));
}

void MessageBoard::set(int context, std::vector<Message> messages) {
    std::lock_guard lock(mutex_);
    messages_[context] = std::move(messages);
}

std::vector<Message> MessageBoard::get(int context) const {
    std::lock_guard lock(mutex_);
    const auto it = messages_.find(context);
    return it == messages_.end() ? std::vector<Message>() : it->second;
}

bool MessageBoard::fetch(int context, int n, ZmMessage* out) const {
    std::lock_guard lock(mutex_);
    const auto it = messages_.find(context);
    if (it == messages_.end() || n < 0 || static_cast<std::size_t>(n) >= it->second.size()) {
        return false;
    }
    if (out != nullptr) {
        const Message& m = it->second[static_cast<std::size_t>(n)];
        std::memset(out, 0, sizeof *out);
        out->Class = m.cls;
        out->Error = m.error;
        toWide(m.text, out->Text, ZM_MESSAGE_TEXT_CHARS);
    }
    return true;
}

void MessageBoard::clearAll() {
    std::lock_guard lock(mutex_);
    messages_.clear();
}

} // namespace hwsim
