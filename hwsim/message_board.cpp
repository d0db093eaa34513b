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

void MessageBoard::pin(int context, Message message) {
    std::lock_guard lock(mutex_);
    pinned_[context].push_back(std::move(message));
}

bool MessageBoard::fetch(int context, int n, ZmMessage* out) {
    std::lock_guard lock(mutex_);
    const auto pinned = pinned_.find(context);
    const auto it = messages_.find(context);
    const std::size_t head = pinned == pinned_.end() ? 0 : pinned->second.size();
    const std::size_t rest = it == messages_.end() ? 0 : it->second.size();
    if (n < 0) {
        return false;
    }
    const auto index = static_cast<std::size_t>(n);
    if (index >= head + rest) {
        if (pinned != pinned_.end()) {
            pinned_.erase(pinned); // read to the end: the reader has seen them
        }
        return false;
    }
    if (out != nullptr) {
        const Message& m = index < head ? pinned->second[index] : it->second[index - head];
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
    pinned_.clear();
}

} // namespace hwsim
