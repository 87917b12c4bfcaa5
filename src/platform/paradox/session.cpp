#include "platform/paradox/session.h"

#include "platform/paradox/block_cipher.h"

#include <algorithm>

namespace marlovex::paradox {

void Session::addPassword(const std::string& password) {
    if (std::find(m_passwords.begin(), m_passwords.end(), password) == m_passwords.end()) {
        m_passwords.push_back(password);
    }
}

bool Session::knowsPassword(std::uint32_t check) const {
    return std::any_of(m_passwords.begin(), m_passwords.end(),
                       [check](const std::string& password) { return passwordCheck(password) == check; });
}

Session& session() {
    static Session instance;
    return instance;
}

} // namespace marlovex::paradox
