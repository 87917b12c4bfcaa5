#include "platform/paradox/session.h"

#include <algorithm>

namespace marlovex::paradox {

void Session::addPassword(const std::string& password) {
    if (std::find(m_passwords.begin(), m_passwords.end(), password) == m_passwords.end()) {
        m_passwords.push_back(password);
    }
}

Session& session() {
    static Session instance;
    return instance;
}

} // namespace marlovex::paradox
